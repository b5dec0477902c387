// The scan record: one angular scan on a fixed grid of 2600 cells of 0.05 degree, the apparatus
// settings it was taken with, up to five regions of interest, the user's comment and the display
// state the main window keeps with it.
//
// Angles are integers in angle units of 0.05 degree (20 units = 1 degree). Cell 0 lies at
// `startAngle`; the displayed angle of cell i is startAngle + AppliedOffset() + i. Regions of interest
// are kept in displayed angles. A missing value reads as -1 in every value query.
//
// Threads: the acquisition thread writes cells (SetPoint) while the window thread paints, exports and
// saves the same record. Each cell is one lock-free 64-bit atomic word holding the cell exactly as a
// record file stores it (6-byte real, valid byte, reserved byte), so a reader always sees a whole cell:
// the old or the new value together with its flag. `modified` is atomic for the same reason. All
// other fields are written only on the window thread or inside its synchronised calls.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class QIODevice;

namespace records {

// Full scale of the intensity range in counts per second, indexed by `rangeIndex`.
inline constexpr std::array<double, 10> kFullScale = {50,   100,  200,   500,   1000,
                                                      2000, 5000, 10000, 20000, 50000};

// The automatic range for a highest counting rate: the first index 0..8 whose full scale is not below
// it, else 9. A rate of -1 (no data) gives 0.
int fullScaleIndex(double highestRate);

// Text of a file that is not a record or is damaged.
inline constexpr const char* kWrongFileFormat = "Wrong file format";

// The longest comment a record file holds (bytes, without its closing zero). Longer ones are cut
// when saved and refused when read: no person writes one, and a damaged length field must not make
// the reader take hundreds of megabytes.
inline constexpr qsizetype kMaxCommentBytes = 64 * 1024;
// No record file is longer: the fixed part with five regions is about 21 KB, then the comment.
inline constexpr qsizetype kMaxRecordFileBytes = 32 * 1024 + kMaxCommentBytes;

} // namespace records

class trecdata {
public:
    static constexpr int kCellCount = 2600;
    static constexpr int kMaxRegions = 5;

    struct Region {
        std::int16_t from = 0;
        std::int16_t to = 0;
        friend bool operator==(const Region&, const Region&) = default;
    };

    // One cell as read at one instant.
    struct Cell {
        double value = 0;
        bool valid = false;
    };

    // ---- Fields, in the order of the record's definition ----
    std::uint8_t regionCount = 0;
    std::int32_t currentRegion = -1; // -1 = the whole record ("All")
    std::array<Region, kMaxRegions> regions{};
    std::int32_t startAngle = 0; // first angle without offset
    std::int32_t endAngle = 0;   // last angle without offset
    std::int32_t angleOffset = 0;
    double detectorHv = 0;      // volts
    double tubeCurrent = 0;     // microamperes
    std::uint8_t rangeMode = 0; // 0 = automatic, 1..10 = fixed full scale rangeMode - 1
    // (the cells are private: see ReadCell, CellValue, SetPoint)
    QString comment;
    std::atomic<bool> modified{false};
    std::uint8_t rangeIndex = 0; // effective full scale 0..9
    bool offsetEnabled = false;
    QString fileName;
    std::int32_t angularStep = 1;  // 1, 2, 4 or 10 angle units
    std::int32_t countingTime = 0; // tenths of a second per step
    std::uint8_t radiator = 0;
    std::uint8_t filter = 0;
    std::uint8_t detectorPosition = 0;
    double filterThickness = 0; // millimetres
    // Main-window view state; never interpreted by the record and never saved to a file.
    std::int32_t zoomXLevel = 0;
    std::int32_t zoomYLevel = 0;
    std::int32_t scrollRangeX = 0;
    std::int32_t scrollRangeY = 0;
    std::int32_t scrollPosX = 0;
    std::int32_t scrollPosY = 0;
    // Standard uncertainty of each cell of a derived record (a transmission) in the cells' unit,
    // negative where there is none; null for a counted scan, whose uncertainty follows from its
    // rates and counting time. Never saved to a file.
    std::shared_ptr<const std::vector<double>> uncertainty;

    // ---- Creation and storage ----

    // A record with every field zero, clear or empty (currentRegion -1, offsetEnabled clear).
    trecdata();
    trecdata(const trecdata&) = delete;
    trecdata& operator=(const trecdata&) = delete;

    // A new empty record: no regions, all cells empty, offsetEnabled set, then SetRangeMode(0).
    static std::unique_ptr<trecdata> Create(std::int32_t angularStep, std::int32_t startAngle,
                                            std::int32_t endAngle, std::int32_t angleOffset,
                                            std::int32_t countingTime);

    // The record in record-file form from offset 4 on (everything after the magic). Leaves
    // `modified` alone: the periodic safety copy uses it on the live record.
    QByteArray Serialize() const;
    // Writes Serialize() to the stream; on success clears `modified`. False when the stream refused a
    // byte (then `modified` is kept).
    bool SaveToStream(QIODevice& stream);
    // Clears `modified`, hands Serialize() to `write` (returning true when every byte is stored) and
    // sets `modified` again when it fails. A point stored meanwhile keeps the record modified, since
    // SetPoint sets the flag after its cells.
    template <class Write>
    bool SaveSerialized(Write&& write) {
        const bool wasModified = modified.exchange(false);
        if (write(Serialize())) {
            return true;
        }
        if (wasModified) {
            modified = true;
        }
        return false;
    }

    // A record read from record-file bytes that start after the magic. Refuses (nullptr, *error set
    // to "Wrong file format") a region count above 5, a comment length that is not positive,
    // exceeds the bytes left or kMaxCommentBytes, angles too far out to be a scan, and data that end
    // before the comment is complete. Data that end right after the comment load with offsetEnabled set.
    static std::unique_ptr<trecdata> Parse(QByteArrayView bytes, QString* error = nullptr);
    // Parse() over the rest of a stream positioned just after the magic.
    static std::unique_ptr<trecdata> LoadFromStream(QIODevice& stream, QString* error = nullptr);

    // ---- Geometry (angle units; displayed angles unless said otherwise) ----
    std::int32_t AppliedOffset() const { return offsetEnabled ? angleOffset : 0; }
    std::int32_t FirstAngle() const { return startAngle + AppliedOffset(); }
    std::int32_t LastAngle() const { return endAngle + AppliedOffset(); }
    // -1 for an angle outside FirstAngle()..LastAngle(), else angle - FirstAngle() (which may lie
    // past the grid for a record longer than 2600 cells).
    std::int32_t AngleToIndex(std::int32_t angle) const;
    std::int32_t IndexToAngle(std::int32_t index) const { return FirstAngle() + index; }
    bool IsValidAt(std::int32_t angle) const;
    // Index of the record's last cell on the grid: min(endAngle - startAngle, 2599); -1 when the
    // record holds no cell.
    std::int32_t LastCell() const;

    // ---- Data ----
    void ClearCells(); // empties all cells and sets regionCount to 0
    // Stores one measurement taken at cell `index` into the fill window of the angular step (clipped
    // to the record and the grid) and sets `modified`. A negative index, or a NaN value, changes
    // nothing. Values beyond the 6-byte real's range are stored as its largest value.
    void SetPoint(std::int32_t index, double value);
    Cell ReadCell(std::int32_t index) const; // empty for an index off the grid
    // Raw value of a cell (validity not consulted), -1 for an index off the grid.
    double CellValue(std::int32_t index) const;
    // Mean of the valid cells in the fill window around the cell of `angle`; -1 when that cell is
    // not valid or off the grid.
    double ValueAtAngle(std::int32_t angle) const;
    int ValidCellCount() const;

    // ---- Regions of interest ----
    void AddRegion(std::int16_t from, std::int16_t to); // ignored when 5 are held
    void DeleteCurrentRegion();
    void SelectRegion(std::int32_t index);
    // Selects the region to show (-1: "All"); in automatic range the full scale follows it.
    void ShowRegion(std::int32_t index);
    // -1 gives (FirstAngle(), LastAngle()); false (outputs untouched) for index >= regionCount or < -1.
    bool GetRegion(std::int32_t index, std::int32_t& from, std::int32_t& to) const;
    // "%0.2f deg to %0.2f deg" of the region in degrees; empty text and false when GetRegion fails.
    bool RegionText(std::int32_t index, QString& text) const;
    void CopyRegions(std::uint8_t& count, std::array<Region, kMaxRegions>& entries) const;

    // ---- View geometry of the current region ----
    std::int32_t ViewFirstCell() const; // `from` rounded down to a whole degree
    std::int32_t ViewPhase() const;     // from - ViewFirstCell(), 0..19
    std::int32_t ViewSpan() const;      // `to` rounded up to a whole degree - ViewFirstCell() + 1
    std::int32_t ZoomXLimit() const;    // ZoomXLimitForSpan(ViewSpan())
    // Horizontal zoom steps the main window offers for a view span: 2 from 1200 on, 1 above 600.
    static std::int32_t ZoomXLimitForSpan(std::int32_t span);

    // ---- Settings ----
    // 0: automatic range from the highest averaged value of the current region; 1..10 fixed full
    // scale mode - 1. (An out-of-table mode keeps `rangeMode` but selects the largest full scale.)
    void SetRangeMode(std::uint8_t mode);
    void SetComment(const QString& text); // sets `modified`
    void SetOffset(std::int32_t value) { angleOffset = value; }
    void SetDetectorHv(int setting) { detectorHv = setting * 5.0; } // setting in 5-volt steps

private:
    // A cell as in the record file: bytes 0..5 the 6-byte real, byte 6 the valid flag (0 or 1),
    // byte 7 reserved (0); byte 0 in the lowest bits.
    std::array<std::atomic<std::uint64_t>, kCellCount> cells_;

    static_assert(std::atomic<std::uint64_t>::is_always_lock_free);
};
