#include "platform/ZipArchive.h"

#include <zip.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace kalvoren {

namespace {

std::string zipReason(int zipCode, int systemCode) {
    switch (zipCode) {
        case ZIP_ER_NOZIP:
            return "it is not a zip package (the file may be damaged or in another format)";
        case ZIP_ER_NOENT:
            return "the file does not exist";
        case ZIP_ER_OPEN:
        case ZIP_ER_READ:
        case ZIP_ER_SEEK:
            return std::string("the file cannot be read (") + std::strerror(systemCode) + ")";
        case ZIP_ER_INCONS:
        case ZIP_ER_EOF:
            return "the zip package is damaged or truncated";
        case ZIP_ER_CRC:
        case ZIP_ER_ZLIB:
        case ZIP_ER_COMPRESSED_DATA:
            return "the zip package is damaged (a part does not inflate correctly)";
        case ZIP_ER_MEMORY:
            return "there is not enough memory to read it";
        case ZIP_ER_NOPASSWD:
        case ZIP_ER_WRONGPASSWD:
        case ZIP_ER_ENCRNOTSUPP:
            return "the workbook is encrypted; save it without a password";
        case ZIP_ER_COMPNOTSUPP:
            return "a part is compressed by a method that is not supported";
        case ZIP_ER_MULTIDISK:
            return "multi-volume zip packages are not supported";
        default: {
            zip_error_t error;
            zip_error_init_with_code(&error, zipCode);
            std::string text = zip_error_strerror(&error);
            zip_error_fini(&error);
            return "the zip package cannot be read (" + text + ")";
        }
    }
}

std::string sizeText(std::uint64_t bytes) {
    return std::to_string(bytes >> 20) + " MB";
}

}  // namespace

struct ZipArchive::Handle {
    zip_t* zip = nullptr;
};

std::unique_ptr<ZipArchive> ZipArchive::open(const std::filesystem::path& file,
                                             std::string& reason) {
    int code = 0;
    errno = 0;
    zip_t* zip = zip_open(file.c_str(), ZIP_RDONLY, &code);
    if (!zip) {
        reason = zipReason(code, errno);
        return nullptr;
    }
    return std::unique_ptr<ZipArchive>(new ZipArchive(new Handle{zip}));
}

ZipArchive::~ZipArchive() {
    if (handle_->zip) zip_discard(handle_->zip);
    delete handle_;
}

bool ZipArchive::contains(std::string_view part) const {
    const std::string name(part);
    return zip_name_locate(handle_->zip, name.c_str(), ZIP_FL_NOCASE) >= 0;
}

bool ZipArchive::read(std::string_view part, std::uint64_t maxBytes,
                      const std::function<bool(std::string_view)>& piece,
                      std::string& reason) const {
    const std::string name(part);
    const zip_int64_t index = zip_name_locate(handle_->zip, name.c_str(), ZIP_FL_NOCASE);
    if (index < 0) {
        reason = "the part \"" + name + "\" is missing";
        return false;
    }
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(handle_->zip, static_cast<zip_uint64_t>(index), 0, &stat) != 0) {
        reason = "the zip package is damaged";
        return false;
    }
    // Refused on the recorded size, before anything is inflated.
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > maxBytes) {
        reason = "the part \"" + name + "\" would inflate to " + sizeText(stat.size) +
                 ", more than the " + sizeText(maxBytes) + " allowed";
        return false;
    }
    struct FileCloser {
        void operator()(zip_file_t* f) const { zip_fclose(f); }
    };
    const std::unique_ptr<zip_file_t, FileCloser> opened(
        zip_fopen_index(handle_->zip, static_cast<zip_uint64_t>(index), 0));
    zip_file_t* file = opened.get();
    if (!file) {
        const zip_error_t* error = zip_get_error(handle_->zip);
        reason = zipReason(zip_error_code_zip(error), zip_error_code_system(error));
        return false;
    }
    std::vector<char> chunk(64 * 1024);
    std::uint64_t total = 0;
    bool ok = true;
    while (true) {
        const zip_int64_t n = zip_fread(file, chunk.data(), chunk.size());
        if (n < 0) {
            const zip_error_t* error = zip_file_get_error(file);
            reason = zipReason(zip_error_code_zip(error), zip_error_code_system(error));
            ok = false;
            break;
        }
        if (n == 0) break;
        total += static_cast<std::uint64_t>(n);
        // The recorded size may lie; the bound holds for what actually comes out.
        if (total > maxBytes) {
            reason = "the part \"" + name + "\" inflates to more than the " + sizeText(maxBytes) +
                     " allowed";
            ok = false;
            break;
        }
        if (!piece(std::string_view(chunk.data(), static_cast<std::size_t>(n)))) break;
    }
    return ok;
}

bool ZipArchive::readAll(std::string_view part, std::uint64_t maxBytes, std::string& out,
                         std::string& reason) const {
    out.clear();
    return read(
        part, maxBytes,
        [&](std::string_view piece) {
            out.append(piece);
            return true;
        },
        reason);
}

}  // namespace kalvoren
