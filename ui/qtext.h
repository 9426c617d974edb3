// The one place where Shift-JIS texts of the core become Qt's strings and back. The window
// layer's own literals are UTF-8 (KQ); the core's texts are Shift-JIS (kov_qs, kov_sj).
#pragma once
#include <QString>
#include <string>

#include "base/kovtext.h"

#define KQ(utf8) QString::fromUtf8(utf8)

inline QString kov_qs(const char *sjis) { return QString::fromStdString(kov::sj_to_utf8(sjis ? sjis : "")); }
inline QString kov_qs(const std::string &sjis) { return QString::fromStdString(kov::sj_to_utf8(sjis)); }
inline std::string kov_sj(const QString &text) { return kov::sj_from_utf8(text.toStdString()); }
