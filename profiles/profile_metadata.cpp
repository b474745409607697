#include "profiles/profile_metadata.h"

#include <lcms2_plugin.h>

#include <algorithm>
#include <string>

#include "profiles/icc_header.h"

namespace {

constexpr char kProductName[] = "Orvale";
constexpr char kBinaryName[] = "orvale";
// Where the profile's numbers came from, in colord's words: a calibration of the display.
constexpr char kCalibrationSource[] = "calib";

// The header bytes the ID is computed without.
constexpr int kFlagsAt = 44;
constexpr int kIntentAt = 64;
constexpr int kProfileIdAt = 84;
constexpr int kProfileIdSize = 16;

void zero(QByteArray& bytes, int at, int count) {
    for (int i = 0; i < count; ++i)
        bytes[at + i] = '\0';
}

}  // namespace

CProfileMetadata display_profile_metadata(const platform::CColordDisplay& display) {
    CProfileMetadata metadata;
    const auto add = [&metadata](const char* name, const QString& value) {
        if (!value.isEmpty()) metadata.append({QLatin1String(name), value});
    };
    if (!display.edid.isEmpty()) {
        add("EDID_md5", display.edid_md5);
        add("EDID_mnft", display.vendor_code);
        add("EDID_manufacturer", display.vendor_name);
        add("EDID_model", display.model);
        add("EDID_serial", display.serial);
    }
    add("MAPPING_device_id", display.device_id);
    add("DATA_source", QLatin1String(kCalibrationSource));
    add("CMF_product", QLatin1String(kProductName));
    add("CMF_binary", QLatin1String(kBinaryName));
    add("CMF_version", QStringLiteral(ORVALE_VERSION));
    return metadata;
}

bool write_metadata_tag(cmsHPROFILE profile, const CProfileMetadata& metadata) {
    cmsHANDLE dictionary = cmsDictAlloc(nullptr);
    if (!dictionary) return false;
    bool written = true;
    for (const auto& [name, value] : metadata) {
        const std::wstring wide_name = name.toStdWString();
        const std::wstring wide_value = value.toStdWString();
        written = written && cmsDictAddEntry(dictionary, wide_name.c_str(), wide_value.c_str(),
                                             nullptr, nullptr);
    }
    written = written && cmsWriteTag(profile, cmsSigMetaTag, dictionary);
    cmsDictFree(dictionary);
    return written;
}

CProfileMetadata read_metadata_tag(cmsHPROFILE profile) {
    CProfileMetadata metadata;
    const auto dictionary = static_cast<cmsHANDLE>(cmsReadTag(profile, cmsSigMetaTag));
    if (!dictionary) return metadata;
    for (const cmsDICTentry* e = cmsDictGetEntryList(dictionary); e; e = cmsDictNextEntry(e)) {
        if (!e->Name) continue;
        metadata.append({QString::fromWCharArray(e->Name),
                         e->Value ? QString::fromWCharArray(e->Value) : QString()});
    }
    // Little CMS lists what it read last entry first.
    std::reverse(metadata.begin(), metadata.end());
    return metadata;
}

bool embed_profile_id(QByteArray& profile) {
    if (profile.size() < kIccHeaderSize) return false;
    QByteArray hashed = profile;
    zero(hashed, kFlagsAt, 4);
    zero(hashed, kIntentAt, 4);
    zero(hashed, kProfileIdAt, kProfileIdSize);
    cmsHANDLE md5 = cmsMD5alloc(nullptr);
    if (!md5) return false;
    cmsMD5add(md5, reinterpret_cast<const cmsUInt8Number*>(hashed.constData()),
              static_cast<cmsUInt32Number>(hashed.size()));
    cmsProfileID id;
    cmsMD5finish(&id, md5);  // frees the handle
    for (int i = 0; i < kProfileIdSize; ++i)
        profile[kProfileIdAt + i] = static_cast<char>(id.ID8[i]);
    return true;
}
