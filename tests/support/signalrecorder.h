#pragma once
// Records the names of ChromaGamutSpec's signals in the order they fire.

#include "chromagamutspec.h"

#include <QStringList>

class SignalRecorder {
public:
    explicit SignalRecorder(ChromaGamutSpec *spec) {
        watch(spec, &ChromaGamutSpec::GamutSpecChanged, "GamutSpecChanged");
        watch(spec, &ChromaGamutSpec::CurrentGamutChanged, "CurrentGamutChanged");
        watch(spec, &ChromaGamutSpec::CurrentOffSetChanged, "CurrentOffSetChanged");
        watch(spec, &ChromaGamutSpec::OffSetListChanged, "OffSetListChanged");
        watch(spec, &ChromaGamutSpec::GamutSpecsListChanged, "GamutSpecsListChanged");
        watch(spec, &ChromaGamutSpec::videoModeChanged, "videoModeChanged");
        watch(spec, &ChromaGamutSpec::gammaChanged, "gammaChanged");
        watch(spec, &ChromaGamutSpec::MaxBigYChanged, "MaxBigYChanged");
        watch(spec, &ChromaGamutSpec::MinBigYChanged, "MinBigYChanged");
        watch(spec, &ChromaGamutSpec::transferChanged, "transferChanged");
    }
    ~SignalRecorder() {
        for (const QMetaObject::Connection &c : m_connections)
            QObject::disconnect(c);
    }
    // The signals seen since the last call, then forgets them.
    QStringList take() {
        QStringList seen = m_seen;
        m_seen.clear();
        return seen;
    }

private:
    template <typename Signal> void watch(ChromaGamutSpec *spec, Signal signal, const char *name) {
        m_connections << QObject::connect(spec, signal, [this, name]() { m_seen << name; });
    }
    QStringList m_seen;
    QList<QMetaObject::Connection> m_connections;
};
