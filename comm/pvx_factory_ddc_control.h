#pragma once

#include "comm/pvx_ddc_control.h"

// The command object a monitor model owns: feature codes (page * 256 + VCP code) routed to the
// standard or the paged commands.
class PVX_factory_ddc_control : public PVX_ddc_control {
  public:
    using PVX_ddc_control::PVX_ddc_control;
    ~PVX_factory_ddc_control() override;

    virtual int get_feature(int code, int& current, int& maximum, int& result_code, int& type);
    virtual int set_feature(int code, int value);
};
