#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>
#include <memory>

#include "platform/colord_display.h"
#include "platform/sim_display_services.h"
#include "profile_bytes.h"
#include "profiles/display_profile.h"
#include "profiles/profile_metadata.h"
#include "sim/sim_config.h"
#include "sim/sim_edid.h"
#include "sim/sim_model.h"
#include "support/desktop_display_services.h"
#include "support/test_environment.h"

using namespace profile_bytes;
using testing_support::read_file;

namespace {

// The 'meta' dictionary as Little CMS reads it from the file.
QMap<QString, QString> metadata_of(const QString& path) {
    QMap<QString, QString> map;
    cmsHPROFILE profile = cmsOpenProfileFromFile(QFile::encodeName(path).constData(), "r");
    if (!profile) return map;
    const auto dictionary = static_cast<cmsHANDLE>(cmsReadTag(profile, cmsSigMetaTag));
    for (const cmsDICTentry* e = dictionary ? cmsDictGetEntryList(dictionary) : nullptr; e;
         e = cmsDictNextEntry(e))
        map.insert(QString::fromWCharArray(e->Name), QString::fromWCharArray(e->Value));
    cmsCloseProfile(profile);
    return map;
}

class ColordMetadata : public ::testing::Test {
  protected:
    void SetUp() override {
        services_ = std::make_unique<testing_support::CDesktopDisplayServices>(
            sim::CSimConfig::default_set());
        platform::set_display_services(services_.get());
    }
    void TearDown() override { platform::set_display_services(nullptr); }

    QString device_on(const QString& connector) const {
        for (const auto& adapter : services_->adapters())
            for (const auto& monitor : adapter.monitors)
                if (monitor.device_name.endsWith(QLatin1Char('-') + connector))
                    return monitor.device_id;
        return QString();
    }

    std::unique_ptr<testing_support::CDesktopDisplayServices> services_;
};

TEST_F(ColordMetadata, ProfileForADisplayNamesItsEdidAndDevice) {
    ProfileSpec spec = sample_spec(fresh_folder(QStringLiteral("meta")) + QStringLiteral("/m.icm"));
    spec.displayDevice = device_on(QStringLiteral("DP-1"));
    ASSERT_FALSE(spec.displayDevice.isEmpty());
    ASSERT_EQ(writeDisplayProfile(spec, QString()), 0);

    const QMap<QString, QString> meta = metadata_of(spec.path);
    // The MD5 of the EDID the simulated KX271W answers with.
    const QByteArray edid =
        sim::build_edid(*sim::find_sim_model(QStringLiteral("KX271W")), "71000123");
    EXPECT_EQ(meta.value(QStringLiteral("EDID_md5")),
              QString::fromLatin1(QCryptographicHash::hash(edid, QCryptographicHash::Md5).toHex()));
    EXPECT_EQ(meta.value(QStringLiteral("EDID_mnft")), QStringLiteral("KST"));
    EXPECT_EQ(meta.value(QStringLiteral("EDID_model")), QStringLiteral("KX271W"));
    EXPECT_EQ(meta.value(QStringLiteral("EDID_serial")), QStringLiteral("71000123"));
    EXPECT_EQ(meta.value(QStringLiteral("MAPPING_device_id")),
              platform::colord_display_for_device(spec.displayDevice).device_id);
    EXPECT_EQ(meta.value(QStringLiteral("DATA_source")), QStringLiteral("calib"));
    EXPECT_EQ(meta.value(QStringLiteral("CMF_product")), QStringLiteral("Orvale"));

    // The dictionary comes after every tag the profile always had, and the ID covers it.
    const QByteArray bytes = read_file(spec.path);
    const QList<std::uint32_t> tags = tag_signatures(bytes);
    ASSERT_FALSE(tags.isEmpty());
    EXPECT_EQ(tags.last(), signature("meta"));
    EXPECT_EQ(tags.count(signature("meta")), 1);
    EXPECT_EQ(bytes.mid(84, 16), expected_profile_id(bytes));
}

TEST_F(ColordMetadata, ADisplayWithoutEdidIsNamedByItsOutput) {
    // A display whose EDID the system does not keep: only its output names it.
    sim::CSimConfig config = sim::CSimConfig::default_set();
    for (sim::CSimDisplay& d : config.displays)
        d.edid.clear();
    services_ = std::make_unique<testing_support::CDesktopDisplayServices>(config);
    platform::set_display_services(services_.get());

    ProfileSpec spec =
        sample_spec(fresh_folder(QStringLiteral("noedid")) + QStringLiteral("/n.icm"));
    spec.displayDevice = device_on(QStringLiteral("HDMI-A-1"));
    ASSERT_EQ(writeDisplayProfile(spec, QString()), 0);
    const QMap<QString, QString> meta = metadata_of(spec.path);
    EXPECT_EQ(meta.value(QStringLiteral("MAPPING_device_id")), QStringLiteral("xrandr-HDMI-A-1"));
    EXPECT_FALSE(meta.contains(QStringLiteral("EDID_md5")));
    EXPECT_EQ(meta.value(QStringLiteral("DATA_source")), QStringLiteral("calib"));
}

TEST_F(ColordMetadata, ProfilesOfNoDisplayCarryNone) {
    ProfileSpec spec =
        sample_spec(fresh_folder(QStringLiteral("plain")) + QStringLiteral("/p.icm"));
    ASSERT_EQ(writeDisplayProfile(spec, QString()), 0);
    EXPECT_TRUE(metadata_of(spec.path).isEmpty());
    EXPECT_FALSE(tag_signatures(read_file(spec.path)).contains(signature("meta")));
}

TEST(ProfileMetadataTag, KeepsItsOrderThroughAWriteAndARead) {
    const CProfileMetadata written = {{QStringLiteral("b"), QStringLiteral("2")},
                                      {QStringLiteral("a"), QStringLiteral("1")},
                                      {QStringLiteral("Ünïcode"), QStringLiteral("værdi")}};
    cmsHPROFILE profile = cmsCreate_sRGBProfile();
    ASSERT_TRUE(write_metadata_tag(profile, written));
    cmsUInt32Number size = 0;
    ASSERT_TRUE(cmsSaveProfileToMem(profile, nullptr, &size));
    QByteArray bytes(static_cast<qsizetype>(size), '\0');
    ASSERT_TRUE(cmsSaveProfileToMem(profile, bytes.data(), &size));
    cmsCloseProfile(profile);
    // In the file, record by record: names as UTF-16 at the offsets the records give.
    const QByteArray dict = tag(bytes, "meta");
    ASSERT_EQ(be32(dict, 0), signature("dict"));
    ASSERT_EQ(be32(dict, 8), std::uint32_t(written.size()));
    const std::uint32_t recordSize = be32(dict, 12);
    for (int i = 0; i < written.size(); ++i) {
        const qsizetype record = 16 + qsizetype(i) * recordSize;
        const std::uint32_t offset = be32(dict, record), length = be32(dict, record + 4);
        QString name;
        for (std::uint32_t at = 0; at + 1 < length; at += 2)
            name.append(QChar(be16(dict, offset + at)));
        EXPECT_EQ(name, written[i].first) << "record " << i;
    }
    cmsHPROFILE again = cmsOpenProfileFromMem(bytes.constData(), size);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(read_metadata_tag(again), written);
    cmsCloseProfile(again);
}

}  // namespace
