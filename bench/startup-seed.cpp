// Points the home page of the profile in $ZARNWEB_HOME at the address given,
// so that the start-up benchmark's ZarnWeb opens the benchmark page. The rest
// of the profile is left for the program's own first start.
#include "platform/registry/Registry.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: startup-seed <home page address>\n");
        return 2;
    }
    try {
        TRegistry reg(HKEY_CURRENT_USER);
        if (!reg.OpenKey(QStringLiteral("\\Software\\Microsoft\\Internet Explorer\\Main"), true))
            throw ERegistryException(QStringLiteral("the profile's registry cannot be written"));
        reg.WriteString(QStringLiteral("Start Page"), QString::fromLocal8Bit(argv[1]));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "startup-seed: %s\n", e.what());
        return 1;
    }
    return 0;
}
