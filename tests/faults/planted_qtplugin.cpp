// SPDX-License-Identifier: MIT
// A Qt plug-in that another user could plant beside a portable copy (in imageformats/, or as the
// "offscreen" platform wherever a planted qt.conf sends the plug-ins): loaded, it writes the file
// that $HUELOFT_PLANTED_MARKER names. The program must never load it.

#include <QObject>

#include <cstdio>
#include <cstdlib>

__attribute__((constructor)) static void plantedCodeRan()
{
    if (const char *marker = std::getenv("HUELOFT_PLANTED_MARKER")) {
        if (std::FILE *file = std::fopen(marker, "a")) {
            std::fputs("planted plug-in loaded\n", file);
            std::fclose(file);
        }
    }
}

class PlantedPlugin : public QObject
{
    Q_OBJECT
#ifdef PLANTED_PLATFORM
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QPA.QPlatformIntegrationFactoryInterface.5.3" FILE
                      "planted_qtplugin.json")
#else
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QImageIOHandlerFactoryInterface" FILE
                      "planted_qtplugin.json")
#endif
};

#include "planted_qtplugin.moc"
