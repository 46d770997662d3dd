// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/app/fontconfiguration.h"

#include <cstdlib>

#if RIX_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#include <locale.h>
#endif

namespace {
#if RIX_HAVE_FONTCONFIG
// Qt takes these out of the environment while it connects to the display (a launcher's start-up
// notification), and fontconfig reads the environment throughout: reading it on one thread
// while another changes it may miss a variable. With one of them set, nothing is started.
bool qtChangesTheEnvironmentAtStart()
{
    return std::getenv("DESKTOP_STARTUP_ID") || std::getenv("XDG_ACTIVATION_TOKEN");
}

void readFontConfiguration()
{
    // QApplication sets the program's locale meanwhile, and fontconfig reads the numbers in its
    // files by the locale's decimal point: this thread keeps to "C", which they are written in.
    const locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
    const locale_t before = c ? uselocale(c) : nullptr;
    FcInit();
    if (c) {
        uselocale(before);
        freelocale(c);
    }
}
#endif
} // namespace

StartUpThread readFontConfigurationInBackground()
{
#if RIX_HAVE_FONTCONFIG
    if (!qtChangesTheEnvironmentAtStart())
        return StartUpThread(readFontConfiguration);
#endif
    return {};
}
