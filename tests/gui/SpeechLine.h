#pragma once
// Builds the microphone line of a test from recorded speech: the quiet start
// of a recording for calibration, then utterances cut out of recordings by
// their ground truth, each with some of its own room noise around it.

#include "engine/EngineTypes.h"
#include "engine/WavFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace larkspur::test {

struct SpokenUtterance {
    int n = 0;
    QString phrase;  // empty for words that are no command
    QString condition;
    int64_t start = 0;
    int64_t end = 0;
};

struct Recording {
    std::vector<uint8_t> samples;
    std::vector<SpokenUtterance> utterances;

    // The wav file and the ground truth beside it (same name, ".json").
    static Recording load(const QString& wavPath)
    {
        Recording r;
        std::string error;
        if (auto samples = loadCaptureSamples(wavPath.toStdString(), error))
            r.samples = std::move(*samples);
        QString jsonPath = wavPath;
        jsonPath.replace(QStringLiteral(".wav"), QStringLiteral(".json"));
        QFile json(jsonPath);
        if (!json.open(QIODevice::ReadOnly))
            return r;
        const QJsonArray list = QJsonDocument::fromJson(json.readAll()).object().value(QStringLiteral("utterances")).toArray();
        for (const QJsonValue& v : list) {
            const QJsonObject o = v.toObject();
            r.utterances.push_back({o.value(QStringLiteral("n")).toInt(), o.value(QStringLiteral("phrase")).toString(),
                                    o.value(QStringLiteral("condition")).toString(),
                                    static_cast<int64_t>(o.value(QStringLiteral("start")).toDouble()),
                                    static_cast<int64_t>(o.value(QStringLiteral("end")).toDouble())});
        }
        return r;
    }

    bool valid() const { return !samples.empty() && !utterances.empty(); }

    const SpokenUtterance* utterance(int n) const
    {
        for (const SpokenUtterance& u : utterances)
            if (u.n == n)
                return &u;
        return nullptr;
    }
};

// Room noise either side of an utterance; the gaps between utterances are
// longer than this, so no neighbour is cut in.
inline constexpr int64_t kUtterancePadding = 6000;

class SpeechLine {
public:
    // The recording's first two seconds (quiet line), for calibration.
    void addCalibration(const Recording& r)
    {
        append(r, 0, std::min<int64_t>(kCalibrationLength, static_cast<int64_t>(r.samples.size())));
    }
    // The whole recording.
    void addAll(const Recording& r) { append(r, 0, static_cast<int64_t>(r.samples.size())); }
    void addUtterance(const Recording& r, int n)
    {
        if (const SpokenUtterance* u = r.utterance(n))
            append(r, u->start - kUtterancePadding, u->end + kUtterancePadding);
    }
    // Quiet line taken from the start of a recording.
    void addQuiet(const Recording& r, int64_t length) { append(r, 0, length); }

    const std::vector<uint8_t>& samples() const { return m_samples; }

private:
    void append(const Recording& r, int64_t from, int64_t to)
    {
        from = std::max<int64_t>(0, from);
        to = std::min<int64_t>(static_cast<int64_t>(r.samples.size()), to);
        if (from < to)
            m_samples.insert(m_samples.end(), r.samples.begin() + from, r.samples.begin() + to);
    }
    std::vector<uint8_t> m_samples;
};

} // namespace larkspur::test
