#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/filedialog.h"
#include "recording/recordingreader.h"
#include "settings/settingsstore.h"
#include "state/chargetimes.h"
#include "state/samplestore.h"

namespace tremolex {

// Save Graph and Load Graph, of a log of counts or of a recording with times (Load Graph
// tells them apart by the recording's header). Both remember the folder of the chosen file
// for the next dialog. Neither loses data: a save goes to a temporary file that replaces the target
// only once it is complete on disk, and a load reads the whole file before it changes
// anything. A failure is shown with the file and the reason.
class LogFiles {
public:
    struct Fields {
        std::string& lastpath;
        SampleStore& samples;
        ChargeTimes& times;
        const std::string& apptitle;
    };

    static constexpr std::string_view kDialogTitle = "Select Graph LOG File";

    // `storeReplaced` clears the chart to its empty grid once a load has replaced the store.
    LogFiles(Fields fields, FileDialog& CommonDialog1, Dialogs& dialogs,
             const SettingsStore& settings, Clock& clock, std::function<void()> storeReplaced);

    // The file types of the dialog; the second saves a recording, with times.
    static constexpr std::size_t kRecordingType = 2;

    void menusave_Click();
    void menuload_Click();

private:
    std::optional<std::string> recordingText();
    void loadRecording(const std::string& path, RecordingReader& recording);
    enum class Purpose { Save, Load };
    // Shows the dialog and remembers the folder; "" when the user cancelled.
    std::string chooseFile(Purpose purpose);

    Fields m_fields;
    FileDialog& m_dialog;
    Dialogs& m_dialogs;
    const SettingsStore& m_settings;
    Clock& m_clock;
    std::function<void()> m_storeReplaced;
};

// The folder part of a chosen path, up to and including its last separator ("" when it
// has none). The separator is "/"; on Windows "\" as well, and the folder is given with
// "\" throughout.
std::string folderOf(std::string_view path);

}  // namespace tremolex
