// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/logging.h"

Q_LOGGING_CATEGORY(lcApp, "rix.app", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSerial, "rix.serial", QtInfoMsg)
Q_LOGGING_CATEGORY(lcReceive, "rix.receive", QtInfoMsg)
Q_LOGGING_CATEGORY(lcFile, "rix.file", QtInfoMsg)
