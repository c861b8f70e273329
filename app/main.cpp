// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainApp.h"

int main(int argc, char* argv[])
{
    return netsonde::MainApp().Run(argc, argv);
}
