// wasapi_output.cpp - the default output device in WASAPI shared mode, at the
// device's own mix format, filled from the mixer whenever the device signals room
// (see wasapi_output.h). Opened and closed by host/win32/al_mixer.cpp.
#include "host/win32/wasapi_output.h"

#include <windows.h>
#include <audioclient.h>
#include <mmdeviceapi.h>
#include <mmreg.h>

#include <algorithm>
#include <vector>

namespace win32 {
namespace {

// How much sound the device holds ahead, in 100-nanosecond units (50 ms).
constexpr REFERENCE_TIME kBufferDuration = 500000;

const CLSID kEnumeratorClass = __uuidof(MMDeviceEnumerator);
const IID kEnumeratorInterface = __uuidof(IMMDeviceEnumerator);
const IID kClientInterface = __uuidof(IAudioClient);
const IID kRenderInterface = __uuidof(IAudioRenderClient);

IAudioClient* Client(void* p) { return static_cast<IAudioClient*>(p); }
IAudioRenderClient* Render(void* p) { return static_cast<IAudioRenderClient*>(p); }

bool IsFloatFormat(const WAVEFORMATEX* f) {
    if (f->wFormatTag == WAVE_FORMAT_IEEE_FLOAT) return true;
    if (f->wFormatTag != WAVE_FORMAT_EXTENSIBLE) return false;
    const auto* ext = reinterpret_cast<const WAVEFORMATEXTENSIBLE*>(f);
    return IsEqualGUID(ext->SubFormat, KSDATAFORMAT_SUBTYPE_IEEE_FLOAT);
}

// The mixer's stereo frames into the device's layout: the first two outputs get
// left and right (a mono device their average), any further ones silence.
void Convert(const float* stereo, unsigned frames, int channels, bool floatSamples, BYTE* out) {
    for (unsigned i = 0; i < frames; ++i) {
        float l = std::clamp(stereo[2 * i], -1.0f, 1.0f), r = std::clamp(stereo[2 * i + 1], -1.0f, 1.0f);
        for (int c = 0; c < channels; ++c) {
            float v = channels == 1 ? (l + r) * 0.5f : c == 0 ? l : c == 1 ? r : 0.0f;
            size_t at = static_cast<size_t>(i) * channels + c;
            if (floatSamples) {
                reinterpret_cast<float*>(out)[at] = v;
            } else {
                reinterpret_cast<int16_t*>(out)[at] = static_cast<int16_t>(v * 32767.0f);
            }
        }
    }
}

}  // namespace

bool WasapiOutput::Open() {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IMMDeviceEnumerator* enumerator = nullptr;
    IMMDevice* device = nullptr;
    IAudioClient* client = nullptr;
    WAVEFORMATEX* format = nullptr;
    bool ok = SUCCEEDED(CoCreateInstance(kEnumeratorClass, nullptr, CLSCTX_ALL, kEnumeratorInterface,
                                         reinterpret_cast<void**>(&enumerator))) &&
              SUCCEEDED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &device)) &&
              SUCCEEDED(device->Activate(kClientInterface, CLSCTX_ALL, nullptr, reinterpret_cast<void**>(&client))) &&
              SUCCEEDED(client->GetMixFormat(&format));
    if (ok) {
        floatSamples_ = IsFloatFormat(format);
        ok = floatSamples_ || format->wBitsPerSample == 16;
    }
    if (ok) {
        rate_ = static_cast<int>(format->nSamplesPerSec);
        channels_ = format->nChannels;
        ok = SUCCEEDED(client->Initialize(AUDCLNT_SHAREMODE_SHARED, AUDCLNT_STREAMFLAGS_EVENTCALLBACK, kBufferDuration,
                                          0, format, nullptr));
    }
    event_ = ok ? CreateEventW(nullptr, FALSE, FALSE, nullptr) : nullptr;
    ok = ok && event_ && SUCCEEDED(client->SetEventHandle(static_cast<HANDLE>(event_))) &&
         SUCCEEDED(client->GetBufferSize(&bufferFrames_)) &&
         SUCCEEDED(client->GetService(kRenderInterface, &render_));
    if (format) CoTaskMemFree(format);
    if (device) device->Release();
    if (enumerator) enumerator->Release();
    client_ = client;
    if (!ok) Close();
    return ok;
}

void WasapiOutput::Start(mixer::Mixer* mixer) {
    if (!client_ || running_) return;
    running_ = true;
    thread_ = std::thread([this, mixer] { Run(mixer); });
}

void WasapiOutput::Run(mixer::Mixer* mixer) {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    std::vector<float> stereo(static_cast<size_t>(bufferFrames_) * 2);
    Client(client_)->Start();
    while (running_) {
        WaitForSingleObject(static_cast<HANDLE>(event_), 100);
        UINT32 padding = 0;
        if (FAILED(Client(client_)->GetCurrentPadding(&padding))) break;
        UINT32 room = bufferFrames_ - padding;
        if (room == 0) continue;
        BYTE* data = nullptr;
        if (FAILED(Render(render_)->GetBuffer(room, &data))) break;
        mixer->Render(stereo.data(), static_cast<int>(room));
        Convert(stereo.data(), room, channels_, floatSamples_, data);
        Render(render_)->ReleaseBuffer(room, 0);
    }
    Client(client_)->Stop();
    CoUninitialize();
}

void WasapiOutput::Close() {
    running_ = false;
    if (thread_.joinable()) thread_.join();
    if (render_) Render(render_)->Release();
    if (client_) Client(client_)->Release();
    if (event_) CloseHandle(static_cast<HANDLE>(event_));
    render_ = client_ = event_ = nullptr;
}

}  // namespace win32
