// Zip access for filling a workbook: read the parts, rewrite them, put them back.
#include "scalar/export/xlsxpackage.h"

#include <QFile>

#include <zip.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>

namespace scalar {

namespace {

const char* const kWorkbook = "xl/workbook.xml";
const char* const kWorkbookRels = "xl/_rels/workbook.xml.rels";
const char* const kContentTypes = "[Content_Types].xml";
const char* const kCalcChain = "xl/calcChain.xml";

class Package {
public:
    bool open(const QString& path, QString* error) {
        int code = 0;
        archive_ = zip_open(QFile::encodeName(path).constData(), 0, &code);
        if (!archive_) {
            zip_error_t failure;
            zip_error_init_with_code(&failure, code);
            fail(error, QStringLiteral("%1 is not a workbook: %2").arg(path, zip_error_strerror(&failure)));
            zip_error_fini(&failure);
        }
        return archive_ != nullptr;
    }
    ~Package() {
        if (archive_) {
            zip_discard(archive_);
        }
    }

    std::optional<QByteArray> read(const char* name) {
        zip_stat_t stat;
        if (zip_stat(archive_, name, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) ||
            stat.size > (1u << 30)) {
            return std::nullopt;
        }
        zip_file_t* file = zip_fopen_index(archive_, stat.index, 0);
        if (!file) {
            return std::nullopt;
        }
        QByteArray bytes(static_cast<qsizetype>(stat.size), Qt::Uninitialized);
        const zip_int64_t got = zip_fread(file, bytes.data(), stat.size);
        zip_fclose(file);
        if (got < 0 || static_cast<zip_uint64_t>(got) != stat.size) {
            return std::nullopt;
        }
        return bytes;
    }

    // Replaces an entry, keeping its time stamp.
    bool write(const char* name, const QByteArray& bytes) {
        zip_stat_t stat;
        const bool known = zip_stat(archive_, name, 0, &stat) == 0 && (stat.valid & ZIP_STAT_MTIME);
        void* copy = std::malloc(static_cast<std::size_t>(bytes.size()) + 1); // libzip frees it
        if (!copy) {
            return false;
        }
        std::memcpy(copy, bytes.constData(), static_cast<std::size_t>(bytes.size()));
        zip_source_t* source = zip_source_buffer(archive_, copy, static_cast<zip_uint64_t>(bytes.size()), 1);
        if (!source) {
            std::free(copy);
            return false;
        }
        const zip_int64_t index = zip_file_add(archive_, name, source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            return false;
        }
        return !known || zip_file_set_mtime(archive_, static_cast<zip_uint64_t>(index), stat.mtime, 0) == 0;
    }

    bool has(const char* name) { return zip_name_locate(archive_, name, 0) >= 0; }

    bool remove(const char* name) {
        const zip_int64_t index = zip_name_locate(archive_, name, 0);
        return index < 0 || zip_delete(archive_, static_cast<zip_uint64_t>(index)) == 0;
    }

    bool close(QString* error) {
        if (zip_close(archive_) != 0) {
            fail(error, QString::fromUtf8(zip_strerror(archive_)));
            return false;
        }
        archive_ = nullptr;
        return true;
    }

    static bool fail(QString* error, const QString& why) {
        if (error) {
            *error = why;
        }
        return false;
    }

private:
    zip_t* archive_ = nullptr;
};

// Reads a part, edits it and writes it back.
bool editPart(Package& package, const char* name,
              const std::function<QByteArray(const QByteArray&, QString*)>& edit, QString* error) {
    const std::optional<QByteArray> part = package.read(name);
    if (!part) {
        return Package::fail(error,
                             QStringLiteral("The workbook has no readable %1").arg(QLatin1String(name)));
    }
    QString why;
    const QByteArray edited = edit(*part, &why);
    if (edited.isEmpty()) {
        return Package::fail(error, QStringLiteral("%1: %2").arg(QLatin1String(name), why));
    }
    return package.write(name, edited) ||
           Package::fail(error, QStringLiteral("Cannot replace %1").arg(QLatin1String(name)));
}

} // namespace

bool fillWorkbookFile(const QString& path, const SheetWrites& writes, QString* error) {
    Package package;
    if (!package.open(path, error)) {
        return false;
    }
    const std::optional<QByteArray> workbook = package.read(kWorkbook);
    const std::optional<QByteArray> rels = package.read(kWorkbookRels);
    const QString sheet = workbook && rels ? firstSheetPath(*workbook, *rels) : QString();
    if (sheet.isEmpty()) {
        return Package::fail(error, QStringLiteral("%1 names no worksheet").arg(path));
    }
    const QByteArray sheetName = sheet.toUtf8();
    const auto withWrites = [&writes](const QByteArray& xml, QString* why) {
        return rewriteSheet(xml, writes, why);
    };
    if (!editPart(package, sheetName.constData(), withWrites, error) ||
        !editPart(package, kWorkbook, requestFullCalculation, error)) {
        return false;
    }
    // The chain lists formula cells in calculation order; Excel rebuilds it, a stale one it reports.
    if (package.has(kCalcChain)) {
        if (!package.remove(kCalcChain)) {
            return Package::fail(error, QStringLiteral("Cannot remove %1").arg(QLatin1String(kCalcChain)));
        }
        if (!editPart(package, kWorkbookRels, dropCalcChainReferences, error) ||
            !editPart(package, kContentTypes, dropCalcChainReferences, error)) {
            return false;
        }
    }
    return package.close(error);
}

} // namespace scalar
