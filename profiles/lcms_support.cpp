#include "profiles/lcms_support.h"

#include <lcms2_plugin.h>

#include "profiles/icc_io.h"

#include <ctime>

namespace {

CIccIO* stream_of(cmsIOHANDLER* handler) {
    return static_cast<CIccIO*>(handler->stream);
}

cmsUInt32Number read_items(cmsIOHANDLER* handler, void* buffer, cmsUInt32Number size,
                           cmsUInt32Number count) {
    const cmsUInt64Number bytes = cmsUInt64Number(size) * count;
    if (bytes > INT32_MAX) return 0;
    const auto n = static_cast<std::int32_t>(bytes);
    return stream_of(handler)->Read8(buffer, n) == n ? count : 0;
}

cmsBool seek_to(cmsIOHANDLER* handler, cmsUInt32Number offset) {
    if (offset > INT32_MAX) return FALSE;
    const auto target = static_cast<std::int32_t>(offset);
    return stream_of(handler)->Seek(target, CIccIO::kFromStart) == target;
}

cmsUInt32Number tell(cmsIOHANDLER* handler) {
    const std::int32_t position = stream_of(handler)->Tell();
    return position < 0 ? 0 : static_cast<cmsUInt32Number>(position);
}

cmsBool write_bytes(cmsIOHANDLER* handler, cmsUInt32Number size, const void* buffer) {
    if (size > INT32_MAX) return FALSE;
    const auto n = static_cast<std::int32_t>(size);
    if (stream_of(handler)->Write8(buffer, n) != n) return FALSE;
    handler->UsedSpace += size;
    return TRUE;
}

// The stream belongs to the caller: closing the handler only frees the handler.
cmsBool close_handler(cmsIOHANDLER* handler) {
    delete handler;
    return TRUE;
}

}  // namespace

LcmsProfile open_lcms_profile(CIccIO& io) {
    const std::int32_t length = io.GetLength();
    if (length <= 0 || io.Seek(0, CIccIO::kFromStart) != 0) return LcmsProfile();
    auto* handler = new cmsIOHANDLER{};
    handler->stream = &io;
    handler->ReportedSize = static_cast<cmsUInt32Number>(length);
    handler->Read = read_items;
    handler->Seek = seek_to;
    handler->Close = close_handler;
    handler->Tell = tell;
    handler->Write = write_bytes;
    // Little CMS owns the handler from here, and closes it also when opening fails.
    return LcmsProfile(cmsOpenProfileFromIOhandler2THR(nullptr, handler, FALSE));
}

QByteArray read_raw_tag(cmsHPROFILE profile, std::uint32_t signature) {
    const auto tag = static_cast<cmsTagSignature>(signature);
    if (!cmsIsTag(profile, tag)) return QByteArray();
    const cmsUInt32Number size = cmsReadRawTag(profile, tag, nullptr, 0);
    if (size == 0 || size > 0x7FFFFFFF) return QByteArray();
    QByteArray bytes(static_cast<qsizetype>(size), '\0');
    if (cmsReadRawTag(profile, tag, bytes.data(), size) != size) return QByteArray();
    return bytes;
}

QDateTime header_created(cmsHPROFILE profile) {
    struct tm created = {};
    if (!cmsGetHeaderCreationDateTime(profile, &created)) return QDateTime();
    return QDateTime(QDate(created.tm_year + 1900, created.tm_mon + 1, created.tm_mday),
                     QTime(created.tm_hour, created.tm_min, created.tm_sec));
}
