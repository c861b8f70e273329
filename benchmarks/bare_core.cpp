// SPDX-License-Identifier: GPL-3.0-or-later
// A Qt Core program that starts its application object and ends: the least
// any report-mode run costs, beside the trace figures.

#include <QCoreApplication>

int main(int argc, char** argv)
{
    const QCoreApplication application(argc, argv);
    return 0;
}
