#include "analysis/xraydata.h"

#include <xraylib.h>

#include <limits>
#include <span>

namespace analysis {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Calls an xraylib function of (z, arg, &error) and turns its error into NaN.
template <class F, class Arg>
double xrl(F function, int z, Arg arg) {
    xrl_error* error = nullptr;
    const double value = function(z, arg, &error);
    if (error != nullptr) {
        xrl_error_free(error);
        return kNaN;
    }
    return value;
}

struct LineCode {
    const char* name;
    int code;
};

constexpr LineCode kKLines[] = {{"Kα1", KL3_LINE}, {"Kα2", KL2_LINE}, {"Kβ1", KM3_LINE}};
constexpr LineCode kLLines[] = {
    {"Lα1", LA1_LINE}, {"Lα2", LA2_LINE}, {"Lβ1", LB1_LINE}, {"Lβ2", LB2_LINE}, {"Lγ1", LG1_LINE}};

void addLines(std::vector<XrayLine>& lines, int z, std::span<const LineCode> codes) {
    for (const LineCode& code : codes) {
        const double energy = xrl(LineEnergy, z, code.code);
        if (energy > 0) {
            const double rate = xrl(RadRate, z, code.code);
            lines.push_back({QString::fromUtf8(code.name), energy, rate > 0 ? rate : 0.0});
        }
    }
}

} // namespace

int atomicNumber(QStringView symbol) {
    if (symbol.isEmpty() || symbol.size() > 3) {
        return 0;
    }
    const QByteArray text =
        (symbol.left(1).toString().toUpper() + symbol.mid(1).toString().toLower()).toLatin1();
    xrl_error* error = nullptr;
    const int z = SymbolToAtomicNumber(text.constData(), &error);
    if (error != nullptr) {
        xrl_error_free(error);
        return 0;
    }
    return z;
}

QString elementSymbol(int z) {
    xrl_error* error = nullptr;
    char* symbol = AtomicNumberToSymbol(z, &error);
    if (error != nullptr || symbol == nullptr) {
        xrl_error_free(error);
        return {};
    }
    QString text = QString::fromLatin1(symbol);
    xrlFree(symbol);
    return text;
}

std::vector<XrayLine> characteristicLines(int z) {
    std::vector<XrayLine> lines;
    addLines(lines, z, kKLines);
    if (z >= 50) {
        addLines(lines, z, kLLines);
    }
    return lines;
}

double kEdgeKeV(int z) {
    return xrl(EdgeEnergy, z, K_SHELL);
}

double massAttenuationCm2PerG(int z, double energyKeV) {
    return xrl(CS_Total, z, energyKeV);
}

double densityGPerCm3(int z) {
    xrl_error* error = nullptr;
    const double value = ElementDensity(z, &error);
    if (error != nullptr) {
        xrl_error_free(error);
        return kNaN;
    }
    return value;
}

} // namespace analysis
