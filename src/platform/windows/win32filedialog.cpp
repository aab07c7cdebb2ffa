#include "platform/windows/win32filedialog.h"

#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "platform/windows/widetext.h"
#include "platform/windows/win32handle.h"

namespace tremolex {

namespace {

bool isFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Whether a new file can be made in the folder: tried with a file that is gone again when
// its handle closes. The folder's access rights alone would not tell (a read-only
// attribute on a folder does not stop files being made in it).
bool canWriteIn(const std::wstring& folder) {
    std::wstring probe = folder;
    if (!probe.empty() && probe.back() != L'\\' && probe.back() != L'/') {
        probe += L'\\';
    }
    probe += L".tremolex-write-test-" + std::to_wstring(GetCurrentProcessId());
    const KernelHandle file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                        nullptr));
    return static_cast<bool>(file);
}

std::wstring knownFolder(int id) {
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathW(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, path))
               ? std::wstring(path)
               : std::wstring();
}

}  // namespace

std::wstring Win32FileDialog::startFolder(const std::wstring& folder, bool saving) {
    if (!folder.empty() && isFolder(folder) && (!saving || canWriteIn(folder))) {
        return folder;
    }
    const std::wstring documents = knownFolder(CSIDL_PERSONAL);
    return isFolder(documents) ? documents : knownFolder(CSIDL_PROFILE);
}

void Win32FileDialog::show(bool saving) {
    static constexpr wchar_t kFilter[] =
        L"LOG files (*.log)\0*.log\0Recordings with times (*.csv)\0*.csv\0"
        L"All files (*.*)\0*.*\0";
    static constexpr wchar_t kTitle[] = L"Select Graph LOG File";
    const std::wstring folder = startFolder(toWide(m_initDir), saving);
    std::vector<wchar_t> file(32768, L'\0');  // the longest path the system takes
    const std::wstring name = toWide(m_fileName);
    name.copy(file.data(), std::min(name.size(), file.size() - 1));
    m_fileName.clear();

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = m_owner;
    dialog.lpstrFilter = kFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = kTitle;
    // No lpstrDefExt: a typed name is taken as it is. OFN_NOCHANGEDIR: the process keeps
    // its current folder.
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                   (saving ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    const BOOL chosen = saving ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (chosen != 0) {
        m_fileName = toUtf8(file.data());
        m_filterIndex = dialog.nFilterIndex;
    }
}

}  // namespace tremolex
