// The one place where Shift-JIS texts of the core become Qt's strings and back. The window
// layer's own literals are UTF-8 (KQ); the core's texts are Shift-JIS (kov_qs, kov_sj).
#pragma once
#include <QList>
#include <QString>
#include <string>

#include "base/kovtext.h"

#define KQ(utf8) QString::fromUtf8(utf8)

inline QString kov_qs(const char *sjis) { return QString::fromStdString(kov::sj_to_utf8(sjis ? sjis : "")); }
inline QString kov_qs(const std::string &sjis) { return QString::fromStdString(kov::sj_to_utf8(sjis)); }
inline std::string kov_sj(const QString &text) { return kov::sj_from_utf8(text.toStdString()); }

// Text the user enters becomes Shift-JIS only whole: false when it holds a character Shift-JIS
// cannot (bad, when given, gets the first), and the entry is then refused rather than stored
// with '?' in its place.
inline bool kov_sj_ok(const QString &text, std::string &sj, QString *bad = nullptr)
{
    kov::SJ_LOST lost;
    if (kov::sj_from_utf8_lost(text.toStdString(), sj, &lost) == 0) return true;
    if (bad) *bad = QString::fromStdString(lost.ch);
    return false;
}

// The refusal the entry points show (status bar, with a beep).
inline QString kov_sj_refusal(const QString &bad)
{
    uint v = bad.isEmpty() ? 0 : bad.toUcs4().value(0);
    return KQ("「%1」(U+%2) は Shift-JIS にない文字のため入力できません")
        .arg(bad, QString::number(v, 16).toUpper().rightJustified(4, QLatin1Char('0')));
}
