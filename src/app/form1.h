#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "app/form1state.h"
#include "app/windowplacement.h"
#include "charge/chargemonitor.h"
#include "chart/chart.h"
#include "chart/chartinput.h"
#include "logfile/logfiles.h"
#include "platform/appendfile.h"
#include "platform/clock.h"
#include "platform/commport.h"
#include "platform/desktopnotifier.h"
#include "platform/instancelock.h"
#include "platform/keystore.h"
#include "platform/sleepinhibitor.h"
#include "platform/window.h"
#include "recording/recorder.h"
#include "serial/portconnection.h"
#include "serial/samplereception.h"
#include "settings/settingsstore.h"

namespace tremolex {

// The platform services the window runs on: the real ones in the program, fakes or
// temporary ones in tests.
struct Form1Services {
    std::unique_ptr<KeyStore> keys;
    std::unique_ptr<CommPort> comm;
    std::unique_ptr<Clock> clock;
    std::unique_ptr<InstanceLock> instanceLock;
    std::unique_ptr<Dialogs> dialogs;                // null: the window's own modal boxes
    std::unique_ptr<FileDialog> fileDialog;          // null: the window's own file dialog
    std::unique_ptr<DesktopNotifier> notifier;       // null: none
    std::unique_ptr<SleepInhibitor> sleepInhibitor;  // null: none
    std::unique_ptr<AppendFiles> recordingFiles;     // null: nothing is recorded to disk
    std::string documentsFolder;                     // UTF-8; the recordings' folder is in it
    // The program's disk work runs on a thread of its own; the tests' at once.
    Recorder::DiskWork recordingWork = Recorder::DiskWork::Here;
    std::string programFolder;  // where the executable lives
    std::string decimalSeparator = ".";
};

// The main window's logic, the same on every platform: it builds the controls on the
// platform's window, owns the run-time state, and hands each event to the piece that
// handles it. It holds no logic of its own beyond that wiring.
class Form1 {
public:
    Form1(Window& window, Form1Services services);
    ~Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Start-up. False when another copy of the program runs: nothing else has happened
    // then, and the window must not be shown.
    bool Form_Load();

    void Timer1_Timer();
    void MSComm1_OnComm() { m_reception.receive(m_comm->input()); }

    const Form1State& state() const { return m_state; }

    // The window's outer frame, in twips.
    float Left() const { return m_placement.Left(); }
    float Top() const { return m_placement.Top(); }
    float Width() const { return m_placement.Width(); }
    float Height() const { return m_placement.Height(); }

private:
    void Form_Resize();
    void Form_Unload();
    void buildControls();
    void buildMenus();
    void placeTimeLabels();
    std::array<Label*, 11> timeLabels() const;
    WindowLabel& newLabel(std::string_view name, float left, float top, float width, float height);
    int px(float twips) const { return m_placement.px(twips); }
    float twips(int pixels) const { return m_placement.twips(pixels); }

    Window& m_window;
    Form1Services m_services;
    Form1State m_state;
    SettingsStore m_settings{*m_services.keys};
    WindowPlacement m_placement{m_window, m_settings};
    CommPort* m_comm = m_services.comm.get();

    // Controls, owned by the window.
    WindowSurface* m_chartSurface = nullptr;
    WindowLabel* m_labstatus = nullptr;
    WindowLabel* m_labtime = nullptr;
    WindowLabel* m_labvalue = nullptr;
    std::array<WindowLabel*, 7> m_labs{};         // lab1 .. lab7
    std::array<WindowLabel*, 11> m_timeLabels{};  // under the vertical grid lines
    WindowLabel* m_labstorefull = nullptr;
    std::unique_ptr<Dialogs> m_dialogs;
    std::unique_ptr<FileDialog> m_fileDialog;
    std::unique_ptr<Timer> m_timer1;
    std::unique_ptr<Timer> m_retryTimer;

    SampleReception m_reception{m_state.rxbuffer, m_state.samples, m_state.times,
                                *m_services.clock};
    // Made once the controls exist.
    std::unique_ptr<Chart> m_chart;
    std::unique_ptr<PortConnection> m_port;
    std::unique_ptr<LogFiles> m_logFiles;
    std::unique_ptr<ChargeMonitor> m_charge;
    std::unique_ptr<Recorder> m_recorder;  // null without recording files
    std::unique_ptr<ChartInput> m_chartInput;
};

}  // namespace tremolex
