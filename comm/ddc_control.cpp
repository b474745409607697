#include "comm/ddc_control.h"

#include <cstring>

#include "comm/ddc_errors.h"
#include "comm/monitor_timing.h"
#include "platform/access_library.h"

namespace {

bool capacity_too_large(int length) {
    return length > ddc_control::kMaxMessage;
}

// A device that is gone, or an interface that no longer exists, does not come back by waiting.
bool final_failure(int result) {
    return result == platform::kAccessNoDevice || result == platform::kAccessBadIndex;
}

}  // namespace

ddc_control::ddc_control(int interface_index, int link_parameter, int mode_)
    : mode(mode_),
      retries(kDefaultRetries),
      link(std::make_unique<low_level_ddc>(interface_index, link_parameter, mode_)) {
    link->open();
}

ddc_control::~ddc_control() = default;

// A negative retry count still makes one attempt: none at all would report success unsent.
int ddc_control::attempts() const {
    return (retries > 0 ? retries : 0) + 1;
}

int ddc_control::send_command(const std::uint8_t* payload, int length, int post_delay) {
    if (capacity_too_large(length)) return ddc_error::kTooLong;
    if (length < 0) return ddc_error::kLength;
    if (const int begun = link->begin_access(); begun != 0) return begun;
    int result = 0;
    for (int k = 0; k < attempts(); ++k) {
        result = link->send(payload, length);
        if (result >= 0) {
            result = 0;
            break;
        }
        if (final_failure(result)) break;
        if (const int again = back_off(
                k, {monitor_timing::kSendRetryBaseMs + monitor_timing::kSendRetryStepMs * k})) {
            link->wait(post_delay);
            return again;
        }
    }
    link->end_access();
    link->wait(post_delay);
    return result;
}

int ddc_control::transact(const std::uint8_t* request, int length, std::uint8_t* reply,
                          int& reply_length, bool null_is_error, int base_delay) {
    if (capacity_too_large(length)) return ddc_error::kTooLong;
    if (length <= 0) return ddc_error::kLength;
    const int capacity = reply_length;
    if (capacity_too_large(capacity)) return ddc_error::kTooLong;
    if (capacity <= 0) return ddc_error::kLength;
    reply_length = 0;
    if (const int begun = link->begin_access(); begun != 0) return begun;

    int result = 0;
    bool ended_null = false;
    for (int k = 0; k < attempts(); ++k) {
        const int reply_delay = base_delay + monitor_timing::kReplyDelayStepMs * k;
        const int sent = link->send(request, length);
        if (sent < 0) {
            result = sent;
            ended_null = false;
            if (final_failure(sent)) break;
            if (const int again =
                    back_off(k, {base_delay + monitor_timing::kSendRetryStepMs * k, reply_delay})) {
                link->wait(monitor_timing::kClosingPauseMs);
                return again;
            }
            continue;
        }
        link->wait(reply_delay);
        const int received = link->receive(reply, capacity);
        if (received > 0) {
            reply_length = received;
            result = 0;
            ended_null = false;
            break;
        }
        if (received == 0 && !null_is_error) {
            result = 0;
            ended_null = false;
            break;
        }
        result = received;
        ended_null = received == 0;
        if (final_failure(received)) break;
        if (const int again = back_off(k, {reply_delay})) {
            link->wait(monitor_timing::kClosingPauseMs);
            return again;
        }
    }
    link->end_access();
    link->wait(monitor_timing::kClosingPauseMs);
    return ended_null ? ddc_error::kNullReply : result;
}

int ddc_control::receive_only(std::uint8_t* reply, int& reply_length, int post_delay) {
    const int capacity = reply_length;
    if (capacity_too_large(capacity)) return ddc_error::kTooLong;
    if (capacity <= 0) return ddc_error::kLength;
    reply_length = 0;
    if (const int begun = link->begin_access(); begun != 0) return begun;
    int result = 0;
    for (int k = 0; k < attempts(); ++k) {
        const int received = link->receive(reply, capacity);
        if (received >= 0) {
            reply_length = received;
            result = 0;
            break;
        }
        result = received;
        if (final_failure(received)) break;
    }
    link->end_access();
    link->wait(post_delay);
    return result;
}

int ddc_control::back_off(int attempt, std::initializer_list<int> waits) {
    // Another program waiting for the bus gets it while this one backs off; the next attempt
    // is an exchange of its own, so nothing that belongs together is split. After the last
    // attempt the bus is let go as usual.
    const bool last = attempt + 1 >= attempts();
    if (!last) link->release_bus();
    for (int ms : waits)
        link->wait(ms);
    if (last) return 0;
    const int again = link->retake_bus();
    // The transaction ends here without the bus; the link closes its books on it.
    if (again != 0) link->end_access();
    return again;
}

int ddc_control::transact_fixed(const std::uint8_t* request, int length, std::uint8_t* reply,
                                int expected) {
    int result = ddc_error::kLength;
    for (int k = 0; k < attempts(); ++k) {
        int reply_length = expected;
        const int exchanged =
            transact(request, length, reply, reply_length, true, monitor_timing::kReplyDelayBaseMs);
        if (exchanged != 0) return exchanged;
        if (reply_length == expected) return 0;
        result = ddc_error::kLength;
    }
    return result;
}
