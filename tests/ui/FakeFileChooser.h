#pragma once

#include "ui/toolkit/FileChooser.h"

#include <QStringList>

#include <deque>

namespace korvane::test {

// Records what each chooser was asked and answers from a queue (empty:
// nothing chosen).
class FakeFileChooser final : public FileChooser {
public:
    struct Asked {
        QString caption;  // folder browser
        QString startDir; // file dialog
        QString filter;
        QString defaultExt;
    };

    QString ChooseFolder(QWidget*, const QString& caption) override
    {
        asked.push_back({caption, {}, {}, {}});
        return Next();
    }
    QString OpenFile(QWidget*, const QString& startDir, const QString& filter, const QString& defaultExt) override
    {
        asked.push_back({{}, startDir, filter, defaultExt});
        return Next();
    }

    std::deque<QString> answers;
    std::vector<Asked> asked;

private:
    QString Next()
    {
        if (answers.empty())
            return {};
        QString a = answers.front();
        answers.pop_front();
        return a;
    }
};

} // namespace korvane::test
