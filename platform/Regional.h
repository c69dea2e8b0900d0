// SPDX-License-Identifier: MIT
#pragma once

#include "engine/Dates.h"

#include <QLocale>
#include <QString>
#include <string>

/// A Qt date format ("d/M/yyyy", "dd.MM.yy", "MMMM d, yyyy") in the engine's format letters
/// ("d/m/yyyy", ...): Qt's M is the engine's m, Qt's m (minutes) the engine's n, Qt's quoted
/// text stays quoted; characters outside Latin-1 are dropped from literal text.
std::string EngineDateFormat(const QString& qtFormat);

/// The regional settings of a locale: date formats, separators, names, decimal separator.
TFormatSettings RegionalSettingsOf(const QLocale& locale);

/// Fills the engine's process-wide regional settings and SystemDateFormat from the user's
/// locale. Called once at program start by both programs.
void InstallRegionalSettings();
