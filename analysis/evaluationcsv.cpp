#include "analysis/evaluationcsv.h"

#include "analysis/xraydata.h"

#include "records/trecdata.h"

#include <QRegularExpression>

namespace analysis {

namespace {

void header(QString& out, const char* key, const QString& value) {
    out += QStringLiteral("# %1: %2\n").arg(QLatin1String(key), value);
}

QString number(double value, int decimals) {
    return QString::number(value, 'f', decimals); // always a dot, whatever the locale
}

} // namespace

QByteArray spectrumCsv(const trecdata& record, const SpectrumResult& result) {
    QString out;
    const EvalOptions& o = result.options;
    header(out, "record", record.fileName);
    header(out, "start_deg", number(record.FirstAngle() / 20.0, 2));
    header(out, "end_deg", number(record.LastAngle() / 20.0, 2));
    header(out, "step_deg", number(record.angularStep / 20.0, 2));
    header(out, "counting_time_s", number(record.countingTime / 10.0, 1));
    header(out, "offset_deg", number(record.angleOffset / 20.0, 2));
    header(out, "offset_applied", record.offsetEnabled ? QStringLiteral("yes") : QStringLiteral("no"));
    header(out, "detector_hv_V", number(record.detectorHv, 0));
    header(out, "tube_current_uA", number(record.tubeCurrent, 1));
    header(out, "radiator", QString::number(record.radiator));
    header(out, "filter", QString::number(record.filter));
    header(out, "detector_position", QString::number(record.detectorPosition));
    header(out, "filter_thickness_mm", number(record.filterThickness, 3));
    for (const QString& line :
         record.comment.split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts)) {
        header(out, "comment", line);
    }
    header(out, "crystal", o.crystal);
    header(out, "d_pm", number(o.dPm, 3));
    header(out, "anode", elementSymbol(o.anodeZ));
    header(out, "tube_kV", number(o.tubeKv, 1));
    header(out, "dead_time_us", number(o.deadTimeUs, 1));
    header(out, "wavelength", QStringLiteral("first order"));
    out += QStringLiteral("angle_deg,rate_cps,rate_sigma_cps,wavelength_pm,energy_keV\n");
    for (const SpectrumPoint& p : result.points) {
        out += number(p.angleDeg, 2) + QLatin1Char(',') + number(p.rateCps, 3) + QLatin1Char(',') +
               number(p.rateSigmaCps, 3) + QLatin1Char(',') + number(p.wavelengthPm, 3) + QLatin1Char(',') +
               number(p.energyKeV, 4) + QLatin1Char('\n');
    }
    return out.toUtf8();
}

} // namespace analysis
