#include "platform/instrument.h"

#include <QCoreApplication>

namespace platform {

QString instrument_error_text(int code) {
    using namespace instrument_error;
    switch (code) {
        case 0:
            return QString();
        case kNone:
            return QCoreApplication::translate("Instrument", "No measuring instrument was found.");
        case kBusy:
            return QCoreApplication::translate("Instrument",
                                               "The measuring instrument is in use by another "
                                               "program.");
        case kTimeout:
            return QCoreApplication::translate("Instrument",
                                               "The measuring instrument did not answer in time.");
        case kCancelled:
            return QCoreApplication::translate("Instrument", "The measurement was cancelled.");
        case kMissing:
            return QCoreApplication::translate("Instrument",
                                               "The software for the measuring instrument is not "
                                               "installed.");
        case kPermission:
            return QCoreApplication::translate("Instrument",
                                               "This user has no permission to open the "
                                               "measuring instrument.");
        case kSettings:
            return QCoreApplication::translate("Instrument",
                                               "The settings for the measuring instrument cannot "
                                               "be used.");
        case kNoDisplay:
            return QCoreApplication::translate("Instrument",
                                               "The measuring instrument cannot measure a "
                                               "display.");
        default:
            return QCoreApplication::translate("Instrument",
                                               "The measuring instrument reported an error.");
    }
}

}  // namespace platform
