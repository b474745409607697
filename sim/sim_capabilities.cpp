#include "sim/sim_model.h"

namespace sim {

namespace {

QByteArray hex2(int v) {
    return QByteArray::number(v & 0xFF, 16).toUpper().rightJustified(2, '0');
}

// The codes of one page as a capability code list, each with its value list where it has one.
QByteArray code_list(const CSimModel& model, int page) {
    QByteArray list;
    for (const CSimFeature& f : model.features) {
        if ((f.code >> 8) != page) continue;
        if (!list.isEmpty()) list += ' ';
        list += hex2(f.code);
        if (!f.values.empty()) {
            list += '(';
            for (std::size_t i = 0; i < f.values.size(); ++i) {
                if (i) list += ' ';
                list += hex2(f.values[i]);
            }
            list += ')';
        }
    }
    return list;
}

QByteArray hex(int v) {
    return QByteArray::number(v, 16).toUpper();
}

}  // namespace

QByteArray build_capabilities(const CSimModel& model) {
    QByteArray caps = "(prot(monitor)type(LCD)model(" + model.name.toLatin1() + ")";
    caps += "cmds(01 02 03 0C E3 F3)";
    caps += "vcp(" + code_list(model, 0) + ")";
    if (model.maker_commands) {
        caps += "vcp_p02(" + code_list(model, 0x02) + ")";
        caps += "vcp_p10(" + code_list(model, 0x10) + ")";
    }
    caps += "mccs_ver(" + model.mccs_version + ")";
    if (model.maker_commands) {
        caps += "cmds_c2(06 07 0A 0B 24 25 26 27)";
        caps += "gamma_table(size(" + hex(model.table_size()) + ") r_ofs(" +
                hex(model.table_offsets[0]) + ") g_ofs(" + hex(model.table_offsets[1]) +
                ") b_ofs(" + hex(model.table_offsets[2]) + "))";
        caps += "asset_eep(" + hex(model.asset_eeprom) + ")";
        caps += "c_tmp_ofst(" + hex(model.color_temp_offset) + ")";
        caps += "mpu_ver(" + model.firmware + ")";
    }
    caps += ")";
    return caps;
}

}  // namespace sim
