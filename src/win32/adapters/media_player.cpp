#include "win32/adapters/media_player.h"

#include <initguid.h>  // defines the player's class and interface identifiers here
#include <mmsystem.h>
#include <wmp.h>

#include <string>

#include "win32/windows/win32_util.h"

namespace vr::win32 {

namespace {

// The text as a BSTR; an empty text is the null BSTR.
BSTR toBstr(const std::string& text) {
    if (text.empty()) return nullptr;
    const std::wstring wide = widen(text);
    BSTR s = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (!s) throw Error("Out of memory");
    return s;
}

// A preference the player does not implement is left at its own default; any other refusal is a player that
// does not work.
bool applied(HRESULT hr) { return SUCCEEDED(hr) || hr == E_NOTIMPL; }

template <class T>
void releaseInto(T*& p) {
    if (p) p->Release();
    p = nullptr;
}

// The fallback player, under one alias. Its failures stay silent, as the media player's own are with its
// error dialogs switched off: a file that cannot be played is simply not heard. Only a path that its command
// could not hold as one name is refused, with an error.
constexpr const char* kAlias = "vigilampsound";

MCIERROR mci(const std::string& command) { return mciSendStringW(widen(command).c_str(), nullptr, 0, nullptr); }

// On the multimedia player's thread.
void mciPlay(const std::string& open) {
    mci(std::string("close ") + kAlias);
    if (open.empty() || mci(open) != 0) return;
    mci(std::string("setaudio ") + kAlias + " volume to 500");  // half of 1000, as the media player's 50
    mci(std::string("play ") + kAlias);
}

// Refuses what is no file before any player opens it.
void checkPlayable(const std::string& url) {
    const std::string what = "The media player could not open \"" + url + "\": ";
    if (isDevicePath(url)) throw Error(what + "it is a device, not a file, and only files are played");
    const DWORD attributes = GetFileAttributesW(widen(url).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw Error(what + "it is a folder, and only files are played");
}

}  // namespace

SoundPlayer::~SoundPlayer() { release(); }

void SoundPlayer::release() {
    if (choice_.kind() == PlayerChoice::Kind::mci) mciThread_.post([] { mci(std::string("close ") + kAlias); });
    releaseInto(player_);
    choice_.reset();
}

bool SoundPlayer::createMediaPlayer() {
    needComApartment();
    HRESULT hr = CoCreateInstance(CLSID_WindowsMediaPlayer, nullptr, CLSCTX_INPROC_SERVER, IID_IWMPPlayer4,
                                  reinterpret_cast<void**>(&player_));
    if (SUCCEEDED(hr)) {
        // Invisible, starting at once when given a file, once through, at half volume, with no dialogs.
        BSTR invisible = SysAllocString(L"invisible");
        bool works = applied(player_->put_uiMode(invisible));
        SysFreeString(invisible);
        IWMPSettings* settings = nullptr;
        works = works && SUCCEEDED(player_->get_settings(&settings)) && settings;
        if (works) {
            works = applied(settings->put_autoStart(VARIANT_TRUE)) && applied(settings->put_playCount(1)) &&
                    applied(settings->put_volume(50)) && applied(settings->put_mute(VARIANT_FALSE)) &&
                    applied(settings->put_enableErrorDialogs(VARIANT_FALSE));
        }
        releaseInto(settings);
        if (works) return true;
        releaseInto(player_);
    }
    // No media player on this system (an N edition, a stripped installation): the multimedia player plays.
    return false;
}

void SoundPlayer::setUrl(const std::string& url) {
    if (!url.empty()) checkPlayable(url);
    if (choice_.choose() == PlayerChoice::Kind::mci) {
        const std::string open = url.empty() ? "" : mciOpenCommand(url, kAlias);  // a refused path changes nothing
        return mciThread_.post([open] { mciPlay(open); });
    }

    // The URL property through the player's dispatch interface: a property put with the one named argument.
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = toBstr(url);
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &named, 1, 1};
    EXCEPINFO exception{};
    UINT badArgument = 0;
    IDispatch* dispatch = player_;
    constexpr DISPID kUrl = 1;  // IWMPCore::URL
    const IID reserved{};       // IID_NULL
    HRESULT hr = dispatch->Invoke(kUrl, reserved, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params,
                                  nullptr, &exception, &badArgument);
    // A player whose dispatch interface is not implemented still has the same property on its own interface.
    if (hr == E_NOTIMPL) hr = player_->put_URL(value.bstrVal);
    VariantClear(&value);
    std::string reason;
    if (hr == DISP_E_EXCEPTION) {
        if (exception.bstrDescription) reason = narrow(exception.bstrDescription);
        if (exception.scode) hr = exception.scode;
    }
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    if (FAILED(hr)) {
        const std::string what = "The media player could not open \"" + url + "\"";
        throw reason.empty() ? failure(what, hr) : Error(what + ": " + reason);
    }
}

void SoundPlayer::stop() {
    if (choice_.kind() == PlayerChoice::Kind::mci)
        return mciThread_.post([] { mci(std::string("stop ") + kAlias); });
    if (choice_.kind() != PlayerChoice::Kind::mediaPlayer) return;  // nothing has played yet
    IWMPControls* controls = nullptr;
    HRESULT hr = player_->get_controls(&controls);
    if (SUCCEEDED(hr) && controls) hr = controls->stop();
    releaseInto(controls);
    if (FAILED(hr)) throw failure("The media player could not stop the sound", hr);
}

void SoundPlayer::close() {
    if (choice_.kind() != PlayerChoice::Kind::mediaPlayer) return release();
    const HRESULT hr = player_->close();
    // Without a close of its own, letting the player go ends its media just as well; the next sound makes a
    // new one.
    if (hr == E_NOTIMPL) return release();
    if (FAILED(hr)) throw failure("The media player could not be closed", hr);
}

}  // namespace vr::win32
