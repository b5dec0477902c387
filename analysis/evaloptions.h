// What an evaluation needs to know beyond the record: the crystal, the anode, the tube voltage, the
// counter's dead time and how many diffraction orders to look for. The defaults come from the
// settings file's "evaluation" section; a record's comment may name them for that record in one line
// of key=value words ("crystal=LiF anode=Mo kV=30"), which win over the settings.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace analysis {

struct EvalOptions {
    QString crystal = QStringLiteral("NaCl"); // a known crystal's name, or "custom" with dPm
    double dPm = 282.01;                      // lattice spacing used (the crystal's, or the custom d)
    int anodeZ = 29;                          // Cu
    double tubeKv = 35;                       // 0: unknown (no Planck's constant)
    double deadTimeUs = 0;                    // 0: no dead-time correction
    int orders = 3;                           // diffraction orders 1..orders
    std::optional<double> fromDeg, toDeg;     // an angle range that overrides the automatic edge search

    friend bool operator==(const EvalOptions&, const EvalOptions&) = default;
};

// The most orders an evaluation looks for.
inline constexpr int kMaxOrders = 10;

// Sets the crystal by name (NaCl, LiF, KBr; case ignored) with its spacing. False for another name.
bool setCrystal(EvalOptions& options, QStringView name);
// Sets a custom lattice spacing ("custom"). False (options unchanged) for d <= 0 or not finite.
bool setCustomSpacing(EvalOptions& options, double dPm);

// What is wrong with options as a sentence ("The lattice spacing must be positive."), empty when
// they can be used.
QString optionsProblem(const EvalOptions& options);

// `defaults` with the comment's key=value words applied: crystal=NAME, d=PM, anode=SYMBOL, kV=U,
// tau=US (or deadtime=US), orders=N; keys without regard to case. The first line of the comment that
// holds such a word is used. Words with values that cannot be used are left out and described in
// *problems (one sentence each).
EvalOptions applyComment(EvalOptions defaults, const QString& comment, QStringList* problems = nullptr);

// The settings file's "evaluation" section holds integers: crystal (0 NaCl, 1 LiF, 2 KBr, 3 custom),
// d (custom spacing in 1/100 pm), anode (atomic number), kV, deadtime (ns), orders.
inline constexpr const char* kEvaluationSection = "evaluation";
using ReadInt = std::function<int(const QString& key, int defaultValue)>;
using WriteInt = std::function<void(const QString& key, int value)>;
EvalOptions readEvalSettings(const ReadInt& read);
void writeEvalSettings(const EvalOptions& options, const WriteInt& write);

} // namespace analysis
