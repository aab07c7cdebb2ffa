#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tremolex {

// The dialog that picks a graph log file. Set the folder it opens in and the preselected
// name, show it, then take the chosen path: "" when the user cancelled.
class FileDialog {
public:
    virtual ~FileDialog() = default;

    virtual void setInitDir(std::string_view folder) = 0;
    virtual void setFileName(std::string_view name) = 0;
    // Picks an existing file to read.
    virtual void ShowOpen() = 0;
    // Picks a file to write: a new name may be typed, and the platform asks before an
    // existing file is chosen to be replaced.
    virtual void ShowSave() = 0;
    virtual std::string FileName() const = 0;
    // The file type chosen at the last showing: 1 log files, 2 recordings (CSV with times),
    // 3 all files.
    virtual std::size_t FilterIndex() const = 0;
};

}  // namespace tremolex
