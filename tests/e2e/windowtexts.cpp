// For the Wine end-to-end tests, as the X server knows no controls: each visible window, one
// a line, tab-separated: its top-level window's title, its class, its place on the screen
// (left, top, width, height) and its text, with spaces for its line breaks and tabs.
#include <windows.h>

#include <cstdio>
#include <string>

static BOOL CALLBACK list(HWND window, LPARAM owner) {
    if (!IsWindowVisible(window)) {
        return TRUE;
    }
    wchar_t kind[256] = {}, wide[1024] = {};
    GetClassNameW(window, kind, 256);
    // A window that does not answer within a second shows no text, rather than stop this.
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(wide), SMTO_ABORTIFHUNG,
                        1000, nullptr);
    std::string text(3 * 1024, '\0'), name(3 * 256, '\0');  // room for any UTF-8
    text.resize(WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), 3072, nullptr, nullptr) - 1);
    name.resize(WideCharToMultiByte(CP_UTF8, 0, kind, -1, name.data(), 768, nullptr, nullptr) - 1);
    for (char& c : text) {
        c = c == '\r' || c == '\n' || c == '\t' ? ' ' : c;
    }
    RECT r{};
    GetWindowRect(window, &r);
    std::printf("%s\t%s\t%ld\t%ld\t%ld\t%ld\t%s\n",
                owner ? reinterpret_cast<const std::string*>(owner)->c_str() : text.c_str(),
                name.c_str(), r.left, r.top, r.right - r.left, r.bottom - r.top, text.c_str());
    if (!owner) {
        EnumChildWindows(window, list, reinterpret_cast<LPARAM>(&text));
    }
    return TRUE;
}

int main() {
    return EnumWindows(list, 0) ? 0 : 1;
}
