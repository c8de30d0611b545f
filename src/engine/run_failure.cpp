#include "engine/run_failure.h"

#include "engine/log_file.h"
#include "jet/base/errors.h"
#include "jet/base/text.h"
#include "odbc/error.h"

namespace engine {

namespace {

constexpr int32_t kFileAccessError = 75;
constexpr int32_t kInvalidCall = 5;

}  // namespace

RunFailure DescribeFailure(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const jet::Error& e) {
        return {e.number(), jet::fromUtf8(e.description())};
    } catch (const odbc::Error& e) {
        return {e.number(), jet::fromUtf8(e.what())};
    } catch (const LogFileError& e) {
        return {kFileAccessError, jet::fromUtf8(e.description())};
    } catch (const std::exception& e) {
        return {kInvalidCall, u"Unerwarteter Fehler: " + jet::fromUtf8(e.what())};
    } catch (...) {
        return {kInvalidCall, u"Unerwarteter Fehler"};
    }
}

std::u16string FailureLine(const RunFailure& failure) {
    return u"Fehler " + jet::fromUtf8(std::to_string(failure.number)) + u": " + failure.description;
}

}  // namespace engine
