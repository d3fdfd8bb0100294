#pragma once

#include "speech/speechoutput.h"

#include <QStringList>

// Records what the main window asked of the speech character.
class FakeSpeechOutput final : public SpeechOutput {
public:
    bool load(const QString& name, const QString& loadName) override
    {
        calls << QStringLiteral("load ") + name + u' ' + loadName;
        return loads;
    }
    bool setLanguage(int code) override
    {
        calls << QStringLiteral("language ") + QString::number(code);
        return !missingLanguages.contains(code);
    }
    void moveTo(int x, int y) override { calls << QStringLiteral("move %1 %2").arg(x).arg(y); }
    void show() override { calls << QStringLiteral("show"); }
    void stop() override { calls << QStringLiteral("stop"); }
    void speak(const QString& tagged) override { calls << QStringLiteral("speak ") + tagged; }
    void unload() override { calls << QStringLiteral("unload"); }

    QStringList calls;
    bool loads = true;
    QList<int> missingLanguages;
};
