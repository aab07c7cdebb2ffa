#pragma once

#include <windows.h>

#include <string>

#include "platform/filedialog.h"

namespace tremolex {

// The graph log file dialog: the system's Open and Save As dialogs, titled "Select Graph
// LOG File", offering log files and all files, adding no extension to a typed name. Save
// As asks before an existing file is replaced.
class Win32FileDialog final : public FileDialog {
public:
    explicit Win32FileDialog(HWND owner) : m_owner(owner) {}

    void setInitDir(std::string_view folder) override { m_initDir = folder; }
    void setFileName(std::string_view name) override { m_fileName = name; }
    void ShowOpen() override { show(false); }
    void ShowSave() override { show(true); }
    std::string FileName() const override { return m_fileName; }
    std::size_t FilterIndex() const override { return m_filterIndex; }

    // The folder a dialog opens in (UTF-16): `folder`, unless it does not exist or, for
    // saving, cannot be written (the program's folder once installed); then the user's
    // documents folder, else the user's profile folder.
    static std::wstring startFolder(const std::wstring& folder, bool saving);

private:
    void show(bool saving);

    HWND m_owner;
    std::string m_initDir;
    std::string m_fileName;
    std::size_t m_filterIndex = 1;
};

}  // namespace tremolex
