// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's log categories. Every failure's detail is written once, to standard error;
// QT_LOGGING_RULES="rix.*.debug=true" shows more.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcApp)
Q_DECLARE_LOGGING_CATEGORY(lcSerial)
Q_DECLARE_LOGGING_CATEGORY(lcReceive)
Q_DECLARE_LOGGING_CATEGORY(lcFile)
