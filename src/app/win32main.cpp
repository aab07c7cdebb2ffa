// The Windows program: the window logic on the Win32 window, with the registry for its
// settings, a named mutex against a second copy and the COM port of the Win32 API.
#include <shlobj.h>
#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/form1.h"
#include "platform/productname.h"
#include "platform/windows/registrykeystore.h"
#include "platform/windows/widetext.h"
#include "platform/windows/win32clock.h"
#include "platform/windows/win32commport.h"
#include "platform/windows/win32desktopnotifier.h"
#include "platform/windows/win32failure.h"
#include "platform/windows/win32sleepinhibitor.h"
#include "platform/windows/win32window.h"
#include "platform/windows/windowsinstancelock.h"

namespace {

// The executable's folder, in UTF-8.
std::string programFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD got = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (got == 0) {
            return {};
        }
        if (got < path.size()) {  // else cut short: a longer buffer
            path.resize(got);
            return tremolex::toUtf8(std::filesystem::path(path).parent_path().wstring());
        }
        path.resize(path.size() * 2);
    }
}

// The user's decimal separator, one character: "." or "," mostly.
std::string decimalSeparator() {
    wchar_t separator[4] = {};  // LOCALE_SDECIMAL has at most three characters
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 4) < 2) {
        return ".";
    }
    return tremolex::toUtf8(std::wstring_view(separator, 1));
}

// The known Documents folder, wherever it was moved (a network share, a synced folder).
std::string documentsFolder() {
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, KF_FLAG_CREATE, nullptr, &path))) {
        folder = tremolex::toUtf8(path);
    }
    CoTaskMemFree(path);
    return folder;
}

}  // namespace

int main() {
    using namespace tremolex;
    // Whatever fails on the way, at start or later in the message loop (a window, control or
    // timer Win32 would not make), is told once, and the program ends without writing its
    // settings.
    return Win32Failure::run(
        [] {
            Win32Window window;  // first: the notifier flashes it
            Form1Services services;
            services.keys = std::make_unique<RegistryKeyStore>();
            services.comm = std::make_unique<Win32CommPort>();
            services.clock = std::make_unique<Win32Clock>();
            services.instanceLock = std::make_unique<WindowsInstanceLock>();
            services.notifier = std::make_unique<Win32DesktopNotifier>(window.handle());
            services.sleepInhibitor = std::make_unique<Win32SleepInhibitor>();
            services.recordingFiles = diskAppendFiles();
            services.recordingWork = Recorder::DiskWork::OnAThreadOfItsOwn;
            services.documentsFolder = documentsFolder();
            services.programFolder = programFolder();
            services.decimalSeparator = decimalSeparator();

            Form1 form(window, std::move(services));
            if (!form.Form_Load()) {
                return 0;  // another copy runs
            }
            window.show();
            return Win32Window::runMessageLoop();
        },
        [](const std::string& text) {
            // A GUI program has no console to say it on.
            MessageBoxW(nullptr, toWide(text).c_str(), toWide(productname::kFull).c_str(),
                        MB_OK | MB_ICONERROR);
        });
}
