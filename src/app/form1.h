#pragma once

#include <QMainWindow>
#include <array>
#include <memory>
#include <string>

#include "app/outerframe.h"
#include "app/state/form1state.h"
#include "chart/chart.h"
#include "logfile/logfiles.h"
#include "platform/clock.h"
#include "platform/commport.h"
#include "platform/instancelock.h"
#include "platform/keystore.h"
#include "platform/qt/qtlabel.h"
#include "platform/qt/qtsurface.h"
#include "platform/qt/qttimer.h"
#include "serial/portconnection.h"
#include "serial/samplereception.h"
#include "settings/module1.h"

namespace tremolex {

// The platform services the window runs on: the real ones in the program, fakes or
// temporary ones in tests.
struct Form1Services {
    std::unique_ptr<KeyStore> keys;
    std::unique_ptr<CommPort> comm;
    std::unique_ptr<Clock> clock;
    std::unique_ptr<InstanceLock> instanceLock;
    std::unique_ptr<Dialogs> dialogs;        // null: the window's own modal boxes
    std::unique_ptr<FileDialog> fileDialog;  // null: the window's own file dialog
    std::string programFolder;               // where the executable lives
    std::string decimalSeparator = ".";
};

// The main window. It owns the run-time state and the controls, and hands each event to
// the piece that handles it; it holds no logic of its own beyond that wiring.
class Form1 final : public QMainWindow {
public:
    explicit Form1(Form1Services services);
    ~Form1() override;

    // Start-up. False when another copy of the program runs: nothing else has happened
    // then, and the window must not be shown.
    bool Form_Load();

    void Timer1_Timer() { m_chart->Timer1_Timer(); }
    void MSComm1_OnComm() { m_reception.receive(m_comm->input()); }

    const Form1State& state() const { return m_state; }
    QtSurface& grafik() { return *m_grafik; }
    QtLabel& label(const char* name);  // a control by its name ("labvalue", "Label1", ...)

    // The window's outer frame, in twips.
    float Left() const;
    float Top() const;
    float Width() const;
    float Height() const;
    void setLeft(float twips);
    void setTop(float twips);
    void setWidth(float twips);
    void setHeight(float twips);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Resize();
    void Form_Unload();
    void buildControls();
    void buildMenus();
    void restoreGeometry();
    QtLabel* newLabel(const char* name, float left, float top, float width, float height);
    int px(float twips) const;
    float twips(int pixels) const;
    // Keeps the outer size when the window system tells or changes the decorations.
    void followDecorations();

    Form1Services m_services;
    Form1State m_state;
    Module1 m_settings{*m_services.keys};
    CommPort* m_comm = m_services.comm.get();

    // Controls, owned by their Qt parent.
    QWidget* m_client = nullptr;
    QtSurface* m_grafik = nullptr;
    QtLabel* m_Label1 = nullptr;
    QtLabel* m_labtime = nullptr;
    QtLabel* m_labvalue = nullptr;
    std::array<QtLabel*, 7> m_labs{};  // lab1 .. lab7
    QtLabel* m_labstorefull = nullptr;
    std::unique_ptr<Dialogs> m_dialogs;
    std::unique_ptr<FileDialog> m_fileDialog;
    QtTimer m_timer1;
    QtTimer m_retryTimer;

    SampleReception m_reception{m_state.rxbuffer, m_state.samples, m_state.times,
                                *m_services.clock};
    // Made once the controls exist.
    std::unique_ptr<Chart> m_chart;
    std::unique_ptr<PortConnection> m_port;
    std::unique_ptr<LogFiles> m_logFiles;
    OuterFrame m_frame{1440.0 / logicalDpiY()};
};

}  // namespace tremolex
