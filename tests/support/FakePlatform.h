#pragma once
// Stand-ins for the dialogs and the settings store, so that a window under test never blocks on a
// modal dialog and never touches the user's settings. The random source is the program's own.

#include "platform/ClockRandom.h"
#include "platform/DlgAIc.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/SettingsStore.h"

#include <QMap>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace tarvik::testing {

// Answers the file dialog from a queue: a path, or std::nullopt for a cancel; an empty queue
// cancels. OnShow runs while the dialog is up.
class FakeDialog : public DlgAIc {
public:
    struct Shown {
        bool Open; // the open form, else the save form
        bool CancelError;
        QString InitDir, Filter, FileName;
    };
    std::deque<std::optional<QString>> Answers;
    std::vector<Shown> Log;
    std::function<void()> OnShow;

protected:
    std::optional<QString> Ask(Mode mode, QWidget*) override {
        Log.push_back({mode == Mode::Open, CancelError, InitDir, Filter, FileName});
        if (OnShow)
            OnShow();
        const std::optional<QString> answer = Answers.empty() ? std::nullopt : Answers.front();
        if (!Answers.empty())
            Answers.pop_front();
        return answer;
    }
};

// Records every message box. Script, when set, may answer a box; otherwise an OK box gets OK and a
// question the next of Answers (Yes when none is left).
class FakeMessages : public MessageBoxes {
public:
    struct Shown {
        QString Text, Title;
        Buttons Kind;
    };
    std::vector<Shown> Log;
    std::deque<Answer> Answers;
    std::function<std::optional<Answer>(const Shown&)> Script;

    Answer Show(QWidget*, const QString& text, const QString& title, Buttons buttons) override {
        Log.push_back({text, title, buttons});
        if (Script)
            if (const std::optional<Answer> answer = Script(Log.back()))
                return *answer;
        if (buttons == Buttons::Ok || buttons == Buttons::OkStop)
            return Answer::Ok;
        const Answer answer = Answers.empty() ? Answer::Yes : Answers.front();
        if (!Answers.empty())
            Answers.pop_front();
        return answer;
    }
};

class FakeSettings : public SettingsStore {
public:
    QMap<QString, QString> Values; // "section/key" -> value
    bool FailWrites = false;

    QString Get(const QString& section, const QString& key) override {
        return Values.value(section + '/' + key);
    }
    bool Set(const QString& section, const QString& key, const QString& value) override {
        if (!FailWrites)
            Values[section + '/' + key] = value;
        return !FailWrites;
    }
};

struct FakePlatform {
    FakeDialog Dialog;
    FakeMessages Messages;
    FakeSettings Settings;
    ClockRandom Random;
    // The stand-ins with random, or the program's own random source.
    Platform Get(RandomSource* random = nullptr) {
        return {&Dialog, &Messages, &Settings, random ? random : &Random};
    }
};

} // namespace tarvik::testing
