#include "platform/qt/qtfiledialog.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <filesystem>

namespace tremolex {

namespace fs = std::filesystem;

// The folder a log dialog opens in: the remembered one while it can be used, else the
// documents folder, else home (an installed program's folder cannot be written).
TEST(QtFileDialog, OpensInTheDocumentsFolderWhenTheRememberedOneCannotBeUsed) {
    const fs::path home = QDir::homePath().toStdString();
    const fs::path documents = home / "Documents", readOnly = home / "readonly";
    fs::create_directories(readOnly);
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::owner_exec);
    const auto start = [](const fs::path& folder, QFileDialog::AcceptMode mode) {
        return fs::path(
            QtFileDialog::startFolder(QString::fromStdString(folder), mode).toStdString());
    };
    using enum QFileDialog::AcceptMode;
    EXPECT_EQ(start(home, AcceptSave), home);
    EXPECT_EQ(start(home / "gone", AcceptOpen), home);  // no documents folder yet
    EXPECT_EQ(start("", AcceptOpen), home);
    fs::create_directories(documents);
    EXPECT_EQ(start(home / "gone", AcceptSave), documents);
    EXPECT_EQ(start(readOnly, AcceptOpen), readOnly);
    if (::geteuid() != 0) {  // root writes anywhere
        EXPECT_EQ(start(readOnly, AcceptSave), documents);
    }
    fs::remove_all(documents);
}

}  // namespace tremolex
