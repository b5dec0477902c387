// The analyse command's JSON object. A measured number is {"value": v, "sigma": s}; a number that
// could not be found is null.
#include "cli/cli_analyse.h"

#include "analysis/xraydata.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace cli {

namespace {

QJsonValue real(double v) {
    return std::isfinite(v) ? QJsonValue(v) : QJsonValue(QJsonValue::Null);
}

QJsonValue measured(const analysis::Measured& m) {
    if (!m.known())
        return QJsonValue::Null;
    return QJsonObject{{"value", m.value}, {"sigma", real(m.sigma)}};
}

QJsonObject options(const analysis::EvalOptions& o) {
    QJsonObject json{{"crystal", o.crystal},
                     {"dPm", o.dPm},
                     {"anode", analysis::elementSymbol(o.anodeZ)},
                     {"tubeKv", o.tubeKv},
                     {"deadTimeUs", o.deadTimeUs},
                     {"orders", o.orders}};
    json["fromDeg"] = o.fromDeg ? QJsonValue(*o.fromDeg) : QJsonValue(QJsonValue::Null);
    json["toDeg"] = o.toDeg ? QJsonValue(*o.toDeg) : QJsonValue(QJsonValue::Null);
    return json;
}

QJsonObject peak(const analysis::Peak& p) {
    const bool named = p.order > 0;
    return QJsonObject{{"centreDeg", measured(p.centreDeg)},
                       {"fwhmDeg", measured(p.fwhmDeg)},
                       {"heightCps", measured(p.heightCps)},
                       {"netCounts", measured(p.netCounts)},
                       {"chi2PerDof", p.chi2PerDof},
                       {"backgroundCps", p.backgroundAt},
                       {"line", named ? QJsonValue(p.line) : QJsonValue(QJsonValue::Null)},
                       {"order", p.order},
                       {"lambdaPm", measured(p.lambdaPm)},
                       {"energyKeV", measured(p.energyKeV)},
                       {"tabulatedPm", named ? QJsonValue(p.tabulatedPm) : QJsonValue(QJsonValue::Null)},
                       {"deviationPm", named ? QJsonValue(p.deviationPm) : QJsonValue(QJsonValue::Null)},
                       {"doublet", p.doublet},
                       {"fitFromDeg", p.fitFromDeg},
                       {"fitToDeg", p.fitToDeg}};
}

QJsonObject duaneHunt(const analysis::DuaneHunt& dh) {
    QJsonObject json{{"found", dh.found},
                     {"reason", dh.reason.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(dh.reason)}};
    if (!dh.found)
        return json;
    json["fromDeg"] = dh.fromDeg;
    json["toDeg"] = dh.toDeg;
    json["backgroundCps"] = dh.backgroundCps;
    json["lineIntercept"] = dh.lineIntercept;
    json["lineSlope"] = dh.lineSlope;
    json["lambdaMinPm"] = measured(dh.lambdaMinPm);
    json["energyMaxKeV"] = measured(dh.energyMaxKeV);
    json["planckJs"] = measured(dh.planckJs);
    json["planckDeviationPercent"] =
        dh.planckJs.known() ? QJsonValue(dh.planckDeviationPercent) : QJsonValue(QJsonValue::Null);
    return json;
}

} // namespace

QByteArray spectrumJson(const QString& file, const analysis::SpectrumResult& r) {
    QJsonArray peaks;
    for (const analysis::Peak& p : r.peaks)
        peaks.append(peak(p));
    const QJsonObject json{{"file", file},
                           {"points", static_cast<qint64>(r.points.size())},
                           {"stepDeg", r.stepDeg},
                           {"countingTimeS", r.countingTimeS},
                           {"options", options(r.options)},
                           {"notes", QJsonArray::fromStringList(r.notes)},
                           {"peaks", peaks},
                           {"impliedDPm", measured(r.impliedDPm)},
                           {"duaneHunt", duaneHunt(r.duaneHunt)}};
    return QJsonDocument(json).toJson(QJsonDocument::Compact);
}

} // namespace cli
