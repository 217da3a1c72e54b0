// machine.h - what every machine is to the game object: a loader (run by the play
// flow at the start of a game), a per-tick rule (run after the reels each tick of
// play) and the list of its on-screen controls as drawn in its latest tick. The game
// object owns one object of each machine and hands over to it from its named entry
// points (m_LoadGame_ and m_Game_ with the machine's name). A machine owns its fields;
// the reels, the score, the lives and the phase are the game object's.
#pragma once

struct kx_Tumbleroo_MyApp;

// One on-screen control: its hit box in virtual-screen units (centre and size) and
// its row, counted from 0 in reading order (top to bottom, then left to right within
// a row). m_PressControl presses it through the same path a click takes.
struct MachineControl {
    float x = 0, y = 0;  // centre
    float w = 0, h = 0;  // hit box size
    int row = 0;
    bool spin = false;   // the machine's SPIN control, where the focus starts
};

// The controls a machine drew in its latest tick, in reading order.
struct MachineControls {
    static constexpr int kMax = 16;
    MachineControl items[kMax];
    int count = 0;

    void Clear() { count = 0; }
    // Kept in row order; controls of one row stay in the order they were added.
    void Add(const MachineControl& c, int row, bool spin = false) {
        if (count == kMax) return;
        int at = count;
        while (at > 0 && items[at - 1].row > row) {
            items[at] = items[at - 1];
            at -= 1;
        }
        items[at] = c;
        items[at].row = row;
        items[at].spin = spin;
        count += 1;
    }
};

struct kx_Tumbleroo_Machine {
    explicit kx_Tumbleroo_Machine(kx_Tumbleroo_MyApp& owner) : game(owner) {}
    virtual ~kx_Tumbleroo_Machine() = default;
    kx_Tumbleroo_Machine(const kx_Tumbleroo_Machine&) = delete;
    kx_Tumbleroo_Machine& operator=(const kx_Tumbleroo_Machine&) = delete;

    virtual int Load() = 0;   // the start of a game: reels, lives, the machine's own fields
    virtual int Tick() = 0;   // one tick of play, after the reels have moved and been drawn
    const MachineControls& Controls() const { return controls; }

protected:
    kx_Tumbleroo_MyApp& game;
    MachineControls controls;  // cleared and filled again by every Tick
};
