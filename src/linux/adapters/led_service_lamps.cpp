#include "linux/adapters/led_service_lamps.h"

#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vr::lx {

namespace {

constexpr const char* kLogin = "org.freedesktop.login1";
constexpr const char* kManagerPath = "/org/freedesktop/login1";
constexpr const char* kManager = "org.freedesktop.login1.Manager";
constexpr const char* kSession = "org.freedesktop.login1.Session";
// Long enough for a busy system; a call that takes longer means the service hangs, and the rest of that round
// is dropped rather than holding the program's exit up.
constexpr std::uint64_t kCallTimeoutUsec = 1'000'000;

std::string said(const sd_bus_error& error, int result) {
    if (sd_bus_error_is_set(&error))
        return std::string(error.name) + (error.message ? std::string(": ") + error.message : std::string());
    return std::strerror(result < 0 ? -result : result);
}

// The session object path in a Manager method's reply; nothing with the bus's words in *error.
std::optional<std::string> sessionPath(int result, sd_bus_message* reply, sd_bus_error* failure,
                                       std::string* error) {
    std::optional<std::string> path;
    const char* text = nullptr;
    if (result < 0)
        *error = said(*failure, result);
    else if (sd_bus_message_read(reply, "o", &text) > 0 && text)
        path = text;
    else
        *error = "an answer without a session";
    sd_bus_error_free(failure);
    sd_bus_message_unref(reply);
    return path;
}

}  // namespace

LedServiceLamps::LedServiceLamps(LockLights& locks, std::string ledsFolder, Back back)
    : locks_(locks), folder_(std::move(ledsFolder)), back_(back) {
    const auto devices = keyboardLeds(folder_);
    if (devices.empty()) {
        why_ = "no keyboard lamps in " + folder_;
        return;
    }
    if (const int result = sd_bus_open_system(&bus_); result < 0) {
        bus_ = nullptr;
        why_ = std::string("no system bus: ") + std::strerror(-result);
        return;
    }
    sd_bus_set_method_call_timeout(bus_, kCallTimeoutUsec);
    if (!findSession()) return;
    // Harmless: the lamp stays as it is. A refusal here is the one the alert would meet.
    const KeyboardLed& first = devices.front();
    std::string error;
    if (setBrightness(first.name, ledBrightness(folder_, first.name).value_or(0), &error) < 0) {
        why_ = "the login service refused the lamps: " + error;
        return;
    }
    worker_ = std::thread([this] { work(); });
}

LedServiceLamps::~LedServiceLamps() {
    if (worker_.joinable()) {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_one();
        worker_.join();
    }
    if (bus_) sd_bus_flush_close_unref(bus_);
}

// "auto" is the caller's session, or where the caller runs outside any (a program the desktop started in the
// user's service manager) the user's graphical one; logind has known it since version 243. An older one is
// asked for the session of this process.
bool LedServiceLamps::findSession() {
    std::string autoError, pidError;
    sd_bus_error failure = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    int result = sd_bus_call_method(bus_, kLogin, kManagerPath, kManager, "GetSession", &failure, &reply, "s", "auto");
    auto path = sessionPath(result, reply, &failure, &autoError);
    if (!path) {
        reply = nullptr;
        result = sd_bus_call_method(bus_, kLogin, kManagerPath, kManager, "GetSessionByPID", &failure, &reply, "u",
                                    static_cast<std::uint32_t>(::getpid()));
        path = sessionPath(result, reply, &failure, &pidError);
    }
    if (!path) {
        why_ = "no login session (" + autoError + "; by process: " + pidError + ")";
        return false;
    }
    session_ = *path;
    return true;
}

int LedServiceLamps::setBrightness(const std::string& device, unsigned value, std::string* error) {
    sd_bus_error failure = SD_BUS_ERROR_NULL;
    const int result = sd_bus_call_method(bus_, kLogin, session_.c_str(), kSession, "SetBrightness", &failure,
                                          nullptr, "ssu", "leds", device.c_str(), static_cast<std::uint32_t>(value));
    if (result < 0 && error) *error = said(failure, result);
    sd_bus_error_free(&failure);
    return result;
}

LampRoute LedServiceLamps::route() { return worker_.joinable() ? LampRoute::ledService : LampRoute::none; }

void LedServiceLamps::show(LockStates lamps) {
    if (!worker_.joinable()) return;
    shown_ = true;
    {
        std::lock_guard lock(mutex_);
        wanted_ = Job{false, lamps};
    }
    wake_.notify_one();
}

void LedServiceLamps::release() {
    if (!worker_.joinable() || !shown_) return;
    shown_ = false;
    const LockStates now = back_ == Back::lockState ? locks_.states() : LockStates{};
    {
        std::lock_guard lock(mutex_);
        wanted_ = Job{true, now};
    }
    wake_.notify_one();
}

void LedServiceLamps::work() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return wanted_ || stopping_; });
            if (!wanted_) return;  // stopping, and everything asked for is sent
            job = *wanted_;
            wanted_.reset();
        }
        run(job);
    }
}

void LedServiceLamps::run(const Job& job) {
    if (!alert_) {
        // A release whose alert was never sent (a newer state replaced it) has nothing from before to put back,
        // but the lock state is given all the same.
        if (job.release && back_ == Back::asBefore) return;
        // The keyboards as they are at the alert's start, and their lamps before it.
        devices_ = keyboardLeds(folder_);
        before_.clear();
        for (const auto& device : devices_) before_.push_back(ledBrightness(folder_, device.name));
    }
    alert_ = !job.release;
    for (std::size_t i = 0; i < devices_.size(); ++i) {
        const KeyboardLed& device = devices_[i];
        unsigned value = job.lamps.of(device.lamp) ? device.maxBrightness : 0;
        if (job.release && back_ == Back::asBefore) {
            if (!before_[i]) continue;  // unknown: the lamp is left to the next lock change
            value = *before_[i];
        }
        if (setBrightness(device.name, value, nullptr) == -ETIMEDOUT) break;
    }
}

}  // namespace vr::lx
