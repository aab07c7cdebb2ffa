#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "platform/dialogs.h"
#include "platform/filedialog.h"
#include "platform/label.h"
#include "platform/timer.h"

namespace tremolex {

// The next scripted answer; "" once they run out, as Cancel gives.
inline std::string nextAnswer(std::deque<std::string>& answers) {
    std::string answer = answers.empty() ? "" : std::move(answers.front());
    if (!answers.empty()) {
        answers.pop_front();
    }
    return answer;
}

class FakeLabel final : public Label {
public:
    void setCaption(std::string_view text) override {
        caption = text;
        ++captionsWritten;
    }
    void setBackColor(Color color) override { backColor = color; }
    void setForeColor(Color) override {}
    void setTop(float) override {}
    void setToolTip(std::string_view text) override { toolTip = text; }

    std::string caption, toolTip;
    int captionsWritten = 0;
    Color backColor = 0;
};

// Answers input boxes from a script and records every box shown.
class FakeDialogs final : public Dialogs {
public:
    struct Shown {  // text: the prompt or message
        std::string text, title, defaultText;
    };

    std::string InputBox(std::string_view prompt, std::string_view title,
                         std::string_view defaultText) override {
        inputs.push_back({std::string(prompt), std::string(title), std::string(defaultText)});
        return nextAnswer(answers);
    }
    void MsgBox(std::string_view text, std::string_view title) override {
        messages.push_back({std::string(text), std::string(title), {}});
    }
    // Answers Yes while `yes` says so; `during` runs while the question is open.
    bool askYesNo(std::string_view question, std::string_view title) override {
        questions.push_back({std::string(question), std::string(title), {}});
        if (during) {
            during();
        }
        return yes;
    }
    bool yes = false;
    std::function<void()> during;
    std::vector<Shown> questions;

    std::deque<std::string> answers;
    std::vector<Shown> inputs, messages;
};

// Answers from a script of paths; records the folder each showing opened in.
class FakeFileDialog final : public FileDialog {
public:
    void setInitDir(std::string_view folder) override { m_initDir = folder; }
    void setFileName(std::string_view name) override { m_fileName = name; }
    void ShowOpen() override { show(false); }
    void ShowSave() override { show(true); }
    std::string FileName() const override { return m_fileName; }
    std::size_t FilterIndex() const override { return filterIndex; }

    std::size_t filterIndex = 1;
    std::deque<std::string> answers;
    std::vector<std::string> openedIn;
    std::vector<bool> forSave;

private:
    void show(bool save) {
        openedIn.push_back(m_initDir);
        forSave.push_back(save);
        m_fileName = nextAnswer(answers);
    }

    std::string m_initDir, m_fileName;
};

// Ticks only when the test calls fire().
class FakeTimer final : public Timer {
public:
    void start(std::chrono::milliseconds every, std::function<void()> tick) override {
        interval = every;
        onTick = std::move(tick);
    }
    void stop() override { onTick = nullptr; }
    // Ticks now; the timer must be running. A copy ticks: the tick may stop or restart it.
    void fire() { std::function<void()>{onTick}(); }

    std::chrono::milliseconds interval{0};
    std::function<void()> onTick;
};

}  // namespace tremolex
