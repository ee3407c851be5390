// Loaded into the real Tiltmate by Qt's generic plugin mechanism (QT_QPA_GENERIC_PLUGINS), so the
// end-to-end test drives the unchanged program while learning where things are and what happened.
#include <QGenericPlugin>

#include "InspectionServer.h"

class HookPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "e2ehook.json")

public:
    QObject* create(const QString& key, const QString&) override
    {
        if (key.compare(QLatin1String("tiltmatee2e"), Qt::CaseInsensitive) != 0)
            return nullptr;
        return new InspectionServer;
    }
};

#include "HookPlugin.moc"
