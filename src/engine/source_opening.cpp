#include "engine/source_opening.h"

#include <pthread.h>

#include <utility>

namespace engine {

SourceOpening::SourceOpening(odbc::Connection& main, SourceRequest request)
    : main_(main), request_(std::move(request)) {
    if (!main_.worksBesideOtherConnections()) return;
    opening_ = std::jthread([this] {
        try {
            opened_.emplace(main_.openResultset(request_.sql, request_.type, request_.lockType));
        } catch (...) {
            failure_ = std::current_exception();
        }
    });
    pthread_setname_np(opening_.native_handle(), "odbc-open");
}

odbc::Resultset SourceOpening::take() {
    if (!opening_.joinable()) {
        return main_.openResultset(request_.sql, request_.type, request_.lockType);
    }
    opening_.join();
    if (failure_) std::rethrow_exception(failure_);
    return std::move(*opened_);
}

}  // namespace engine
