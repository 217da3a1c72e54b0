// generate.cpp - runs every sheet x tier and every sound as an independent job on
// a few worker threads. Each job's output depends only on its own inputs, so the
// files are byte-for-byte the same whatever the thread count or order.
#include "generate.h"

#include <stb/stb_image_write.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>

#include "catalogue.h"
#include "review.h"
#include "synth.h"
#include "text.h"
#include "wav.h"

namespace art {
namespace {

namespace fs = std::filesystem;

constexpr int kMaxThreads = 4;
constexpr int kPngCompression = 6;  // fast, and the same bytes on every run

struct Job {
    std::string file;                      // relative to the data folder
    std::function<bool(const std::string&)> run;  // writes the file at the given full path
};

bool writePng(const std::string& path, int w, int h, const std::vector<unsigned char>& rgba) {
    return stbi_write_png(path.c_str(), w, h, 4, rgba.data(), w * 4) != 0;
}

// Sheets rendered for the contact sheets, indexed by tier.
struct ReviewStore {
    std::mutex lock;
    std::vector<std::vector<RenderedSheet>> byTier;
};

Job sheetJob(const SheetSpec& sheet, const Tier& tier, size_t tierIndex, size_t order, ReviewStore* review) {
    std::string file = sheetFile(sheet, tier);
    return {file, [&sheet, tier, tierIndex, order, review, file](const std::string& path) {
                Canvas c = renderSheet(sheet, tier.factor);
                std::vector<unsigned char> rgba = c.toRGBA8();
                if (!writePng(path, c.width(), c.height(), rgba)) return false;
                if (review) {
                    int t = sheet.tiered ? tier.factor : 1;
                    RenderedSheet r{file, c.width(), c.height(), sheet.frameW * t, sheet.frameH * t,
                                    sheet.cols, sheet.rows, sheet.frames, std::move(rgba)};
                    std::lock_guard<std::mutex> g(review->lock);
                    review->byTier[tierIndex][order] = std::move(r);
                }
                return true;
            }};
}

Job soundJob(const SoundSpec& spec) {
    return {soundFile(spec.number), [&spec](const std::string& path) {
                std::vector<float> s = spec.make(kSampleRate);
                s.resize(static_cast<size_t>(spec.seconds * kSampleRate), 0.0f);
                finish(s, kSampleRate);
                return writeFile(path, wavBytes(toPcm16(s), kSampleRate));
            }};
}

std::vector<Job> allJobs(ReviewStore* review) {
    std::vector<Job> jobs;
    for (size_t t = 0; t < tiers().size(); ++t) {
        for (size_t i = 0; i < sheets().size(); ++i) {
            const SheetSpec& s = sheets()[i];
            if (!s.tiered && t > 0) continue;  // one file, shown on the tier-1 contact sheet
            jobs.push_back(sheetJob(s, tiers()[t], t, i, review));
        }
    }
    for (const SoundSpec& s : sounds()) jobs.push_back(soundJob(s));
    return jobs;
}

int threadCount(int asked) {
    if (asked > 0) return asked;
    int hw = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(hw, 1, kMaxThreads);
}

}  // namespace

std::vector<std::string> expectedDataFiles() {
    std::vector<std::string> files;
    for (const Tier& t : tiers())
        for (const SheetSpec& s : sheets())
            if (s.tiered || t.factor == 1) files.push_back(sheetFile(s, t));
    for (const SoundSpec& s : sounds()) files.push_back(soundFile(s.number));
    std::sort(files.begin(), files.end());
    return files;
}

GenerateResult generate(const GenerateOptions& options) {
    GenerateResult result;
    try {
        for (Face f : {Face::Mono, Face::MonoBold, Face::SansBold}) font(f);  // load before the workers start
    } catch (const std::exception& e) {
        result.error = e.what();
        return result;
    }
    stbi_write_png_compression_level = kPngCompression;

    ReviewStore review;
    review.byTier.resize(tiers().size(), std::vector<RenderedSheet>(sheets().size()));
    bool wantReview = !options.reviewDir.empty();
    std::vector<Job> jobs = allJobs(wantReview ? &review : nullptr);

    std::error_code ec;
    // Fail before any rendering if the folders cannot be made.
    for (const char* sub : {"", "common", "fonts", "sfx"}) {
        fs::path dir = fs::path(options.dataDir) / sub;
        fs::create_directories(dir, ec);
        if (!fs::is_directory(dir, ec)) {
            result.error = "cannot create folder " + dir.string();
            return result;
        }
    }
    if (wantReview) fs::create_directories(options.reviewDir, ec);

    std::atomic<size_t> next{0};
    std::mutex failLock;
    auto worker = [&]() {
        for (size_t i; (i = next++) < jobs.size();) {
            const Job& j = jobs[i];
            std::string path = (fs::path(options.dataDir) / j.file).string();
            if (!j.run(path)) {
                std::lock_guard<std::mutex> g(failLock);
                if (result.error.empty()) result.error = "cannot write " + path;
            }
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < threadCount(options.threads); ++t) pool.emplace_back(worker);
    worker();
    for (std::thread& t : pool) t.join();
    if (!result.error.empty()) return result;

    if (wantReview) {
        for (size_t t = 0; t < tiers().size(); ++t) {
            Rgba8Image img = contactSheet(review.byTier[t], tiers()[t].factor);
            std::string path = (fs::path(options.reviewDir) / ("contact-tier" + std::to_string(tiers()[t].factor) + ".png")).string();
            if (!writePng(path, img.width, img.height, img.rgba)) {
                result.error = "cannot write " + path;
                return result;
            }
        }
    }
    result.written = expectedDataFiles();
    result.ok = true;
    return result;
}

}  // namespace art
