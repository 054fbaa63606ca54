#include "platform/qt/CommandError.h"

#include <cerrno>

namespace kalvoren {

int errorNumberFor(std::error_code ec) {
    if (ec.category() != std::generic_category() && ec.category() != std::system_category())
        return ErrorNumber::PathFileAccess;
    switch (ec.value()) {
        case ENOENT:
            return ErrorNumber::FileNotFound;
        case ENOTDIR:
            return ErrorNumber::PathNotFound;
        case ENOSPC:
        case EDQUOT:
            return ErrorNumber::DiskFull;
        case EEXIST:
            return ErrorNumber::FileAlreadyExists;
        case EMFILE:
        case ENFILE:
            return ErrorNumber::TooManyFiles;
        case EIO:
            return ErrorNumber::DeviceIoError;
        case ENXIO:
        case ENODEV:
            return ErrorNumber::DeviceUnavailable;
        case ENAMETOOLONG:
            return ErrorNumber::BadFileName;
        case ENOMEM:
            return ErrorNumber::OutOfMemory;
        default:
            return ErrorNumber::PathFileAccess;  // EACCES, EPERM, EROFS, EISDIR, ...
    }
}

}  // namespace kalvoren
