#include "platform/windows/win32dialogs.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/windows/widetext.h"
#include "platform/windows/win32dpi.h"

namespace tremolex {

namespace {

constexpr WORD kEditId = 100;
// The predefined control classes, as a template names them.
constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082;

// A dialog template (DLGTEMPLATE and its items) built up in WORDs.
class DialogTemplate {
public:
    DialogTemplate(DWORD style, std::wstring_view title, const LOGFONTW& font, short width,
                   short height) {
        dword(style | DS_SETFONT);
        dword(0);              // extended style
        m_words.push_back(0);  // items, counted as they come
        for (const short value : {short{0}, short{0}, width, height}) {
            m_words.push_back(static_cast<WORD>(value));
        }
        m_words.push_back(0);  // no menu
        m_words.push_back(0);  // the standard dialog class
        text(title);
        // Points of the message font at the resolution system-wide metrics come in.
        const int points = MulDiv(std::abs(font.lfHeight), 72, static_cast<int>(systemDpi()));
        m_words.push_back(static_cast<WORD>(std::max(points, 1)));
        text(font.lfFaceName);
    }

    void item(WORD control, DWORD style, std::wstring_view title, WORD id, short x, short y,
              short width, short height) {
        if (m_words.size() % 2 != 0) {
            m_words.push_back(0);  // each item starts on a DWORD
        }
        dword(style | WS_CHILD | WS_VISIBLE);
        dword(0);
        for (const short value : {x, y, width, height}) {
            m_words.push_back(static_cast<WORD>(value));
        }
        m_words.push_back(id);
        m_words.push_back(0xFFFF);
        m_words.push_back(control);
        text(title);
        m_words.push_back(0);  // no creation data
        ++m_words[4];
    }

    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }

private:
    void dword(DWORD value) {
        m_words.push_back(LOWORD(value));
        m_words.push_back(HIWORD(value));
    }
    void text(std::wstring_view value) {
        m_words.insert(m_words.end(), value.begin(), value.end());
        m_words.push_back(0);
    }

    std::vector<WORD> m_words;  // DWORD-aligned: operator new aligns for any basic type
};

struct InputBoxState {
    std::wstring defaultText;
    std::wstring answer;
};

// Puts the dialog over the middle of its owner, kept inside the owner's monitor.
void centreOnOwner(HWND dialog) {
    const HWND owner = GetWindow(dialog, GW_OWNER);
    if (owner == nullptr || !IsWindowVisible(owner) || IsIconic(owner)) {
        return;
    }
    RECT area{}, box{};
    GetWindowRect(owner, &area);
    GetWindowRect(dialog, &box);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    const LONG width = box.right - box.left, height = box.bottom - box.top;
    const LONG x = std::clamp((area.left + area.right - width) / 2, work.left,
                              std::max(work.left, work.right - width));
    const LONG y = std::clamp((area.top + area.bottom - height) / 2, work.top,
                              std::max(work.top, work.bottom - height));
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK inputBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            const auto* state = reinterpret_cast<const InputBoxState*>(lParam);
            const HWND edit = GetDlgItem(dialog, kEditId);
            SetWindowTextW(edit, state->defaultText.c_str());
            SendMessageW(edit, EM_SETSEL, 0, -1);
            centreOnOwner(dialog);
            SetFocus(edit);
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                auto* state =
                    reinterpret_cast<InputBoxState*>(GetWindowLongPtrW(dialog, DWLP_USER));
                const HWND edit = GetDlgItem(dialog, kEditId);
                state->answer.assign(
                    static_cast<std::size_t>(std::max(GetWindowTextLengthW(edit), 0)), L'\0');
                const int got = GetWindowTextW(edit, state->answer.data(),
                                               static_cast<int>(state->answer.size() + 1));
                state->answer.resize(static_cast<std::size_t>(std::max(got, 0)));
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

// Laid out as Visual Basic's InputBox: the prompt at the top left, OK and Cancel beside
// it, the edit box across the bottom. Sizes in dialog units.
std::string Win32Dialogs::InputBox(std::string_view prompt, std::string_view title,
                                   std::string_view defaultText) {
    DialogTemplate box(DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
                       toWide(title), messageFont(systemDpi()), 250, 80);
    box.item(kStatic, SS_LEFT | SS_NOPREFIX, toWide(prompt), 0xFFFF, 7, 7, 178, 44);
    box.item(kEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, L"", kEditId, 7, 58, 236, 14);
    box.item(kButton, BS_DEFPUSHBUTTON | WS_TABSTOP, L"OK", IDOK, 193, 7, 50, 14);
    box.item(kButton, BS_PUSHBUTTON | WS_TABSTOP, L"Cancel", IDCANCEL, 193, 25, 50, 14);
    InputBoxState state{toWide(defaultText), {}};
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), box.get(), m_owner,
                                                   inputBoxProc, reinterpret_cast<LPARAM>(&state));
    return result == IDOK ? toUtf8(state.answer) : std::string();
}

void Win32Dialogs::MsgBox(std::string_view text, std::string_view title) {
    MessageBoxW(m_owner, toWide(text).c_str(), toWide(title).c_str(), MB_OK);
}

bool Win32Dialogs::askYesNo(std::string_view question, std::string_view title) {
    return MessageBoxW(m_owner, toWide(question).c_str(), toWide(title).c_str(),
                       MB_YESNO | MB_ICONQUESTION) == IDYES;
}

}  // namespace tremolex
