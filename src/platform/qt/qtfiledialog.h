#pragma once

#include <QFileDialog>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "platform/filedialog.h"

namespace tremolex {

// The graph log file dialog: titled "Select Graph LOG File", offering log files, recordings
// and all files, adding no extension to a typed name. With a desktop's platform theme it is the
// desktop's own dialog.
class QtFileDialog final : public FileDialog {
public:
    explicit QtFileDialog(QWidget* parent) : m_parent(parent) {}

    void setInitDir(std::string_view folder) override { m_initDir = folder; }
    void setFileName(std::string_view name) override { m_fileName = name; }
    void ShowOpen() override { show(QFileDialog::AcceptOpen); }
    void ShowSave() override { show(QFileDialog::AcceptSave); }
    std::string FileName() const override { return m_fileName; }
    std::size_t FilterIndex() const override { return m_filterIndex; }

    // The folder a dialog opens in: `folder`, unless it does not exist or, for saving, cannot
    // be written (the program's folder once installed); then the user's documents folder,
    // else home.
    static QString startFolder(const QString& folder, QFileDialog::AcceptMode mode);

private:
    void show(QFileDialog::AcceptMode mode);

    QPointer<QWidget> m_parent;
    std::string m_initDir;
    std::string m_fileName;
    std::size_t m_filterIndex = 1;
};

}  // namespace tremolex
