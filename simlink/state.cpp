#include "simlink/state.h"

#include "app/services/window_bands.h"

std::atomic<SimConnectClient*> g_simHandle{nullptr};
std::atomic<bool> g_simRunning{false};
std::atomic<bool> g_simRunningShown{false};
std::atomic<bool> g_simError{false};
std::atomic<bool> g_simConnected{false};
std::atomic<std::int32_t> g_requiredSimVersion{5};

std::mutex g_simQueueMutex;
PosUpdateBuffers g_posUpdates;
std::vector<SimEventRequest> g_simEventQueue;
std::vector<SpawnRequest> g_simCreateQueue;
std::vector<std::uint32_t> g_simRemoveQueue;
std::vector<SentCreate> g_sentCreates;
std::vector<std::uint32_t> g_addedObjects;
std::atomic<std::uint32_t> g_userObjectId{2};

std::mutex g_userStateMutex;
UserState g_userState;
GeoPoint g_prevUserPos;
std::atomic<bool> g_userOnGround{false};
std::atomic<bool> g_userOnGroundKnown{false};
std::atomic<bool> g_newUserSample{false};
std::atomic<std::int64_t> g_simTimeEpoch{0};
std::string g_userTitle;
std::atomic<double> g_userHalfSpan{0.0};
std::atomic<bool> g_userHalfSpanSet{false};
std::atomic<bool> g_userSizeKnown{false};
std::atomic<SizeCategory> g_userCategory{SizeCategory::Light};
std::string g_simNameText;
std::string g_userStandText;
std::string g_lastUserStand;

platform::Event g_simClientWake;

// Defined last: at program end it is destroyed (and its thread joined) while
// the globals above still exist.
std::jthread g_simClientThread;

namespace {
// Destroyed before the thread object: a thread still running at program end
// is woken from its wait before the object's destructor joins it.
struct SimClientThreadEnd {
    ~SimClientThreadEnd() {
        if (!g_simClientThread.joinable()) return;
        g_simClientThread.request_stop();
        g_simClientWake.signal();
        g_simClientThread.join();
    }
} g_simClientThreadEnd;
}  // namespace

UserState gf_copyUserState() {
    const std::lock_guard lock(g_userStateMutex);
    return g_userState;
}

std::string gf_copyUserText(const std::string& text) {
    const std::lock_guard lock(g_userStateMutex);
    return text;
}

void lf_repaintStatusBand() { platform::invalidateBand(kStatusBand); }
