#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/filedialog.h"

namespace tremolex {

// The graph log file dialog: titled "Select Graph LOG File", offering log files and all
// files, adding no extension to a typed name.
class QtFileDialog final : public FileDialog {
public:
    explicit QtFileDialog(QWidget* parent) : m_parent(parent) {}

    void setInitDir(std::string_view folder) override { m_initDir = folder; }
    void setFileName(std::string_view name) override { m_fileName = name; }
    void setMustExist(bool mustExist) override { m_mustExist = mustExist; }
    void ShowOpen() override;
    std::string FileName() const override { return m_fileName; }

private:
    QPointer<QWidget> m_parent;
    std::string m_initDir;
    std::string m_fileName;
    bool m_mustExist = true;
};

}  // namespace tremolex
