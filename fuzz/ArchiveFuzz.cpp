// A ".L21" archive (restored from anywhere, or from the remote service): any
// bytes must be listed and unpacked into a scratch folder, or be refused
// with nothing written. The size limits are those of the program, scaled
// down so that a run never fills the disk.
#include "FuzzSupport.h"

#include "backup/Archive.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const QString folder = fuzz::freshFolder(QStringLiteral("archive"));
    const QString archive = folder + "/Salvare.L21";
    fuzz::writeFile(archive, fuzz::bytesOf(data, size));
    const QString target = fuzz::freshFolder(QStringLiteral("archive-unpacked"));
    backup::UnpackLimits limits;
    limits.fileBytes = 8 << 20;
    limits.totalBytes = 16 << 20;
    const backup::UnpackResult result = backup::UnpackArchiveWithReason(archive, target, {}, limits);
    const QStringList files = backup::ArchiveFileList(target);
    if (result.failed() && result.failure != backup::UnpackResult::Failure::CannotWrite && !files.isEmpty()
        && result.failure != backup::UnpackResult::Failure::DiskFull)
        std::abort(); // a refused archive wrote files
    return 0;
}
