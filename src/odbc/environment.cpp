#include "odbc/environment.h"

#include <sql.h>
#include <sqlext.h>

#include <utility>

#include "odbc/connection_state.h"
#include "odbc/diagnostics.h"
#include "odbc/handle.h"

namespace odbc {
namespace {

std::shared_ptr<const Handle> newOdbc3Environment() {
    auto handle = std::make_shared<Handle>(SQL_HANDLE_ENV, SQLHANDLE{nullptr});
    SQLRETURN rc =
        SQLSetEnvAttr(handle->get(), SQL_ATTR_ODBC_VERSION,
                      reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_OV_ODBC3)), 0);
    check(rc, *handle, "Die ODBC-Umgebung lässt sich nicht auf ODBC 3 stellen");
    return handle;
}

}  // namespace

Environment::Environment(std::string name, std::string user, std::string password)
    : handle_(newOdbc3Environment()),
      name_(std::move(name)),
      user_(std::move(user)),
      password_(std::move(password)) {}

Environment::~Environment() = default;
Environment::Environment(Environment&&) noexcept = default;
Environment& Environment::operator=(Environment&&) noexcept = default;

void Environment::setCursorDriver(CursorDriver driver) {
    switch (driver) {
        case CursorDriver::UseIfNeeded:
        case CursorDriver::UseOdbc:
        case CursorDriver::UseServer:
        case CursorDriver::UseNone:
            cursorDriver_ = driver;
            return;
        case CursorDriver::UseClientBatch:
            break;
    }
    throw Error("Der Cursortreiber " + std::to_string(static_cast<int>(driver)) +
                    " wird nicht unterstützt (möglich: 0, 1, 2, 4)",
                "HY024");
}

Connection Environment::openConnection(const std::string& dataSourceName, bool readOnly) {
    if (!handle_) throw Error("Die ODBC-Umgebung ist geschlossen", "HY010");
    LogOn logOn{dataSourceName, user_, password_, cursorDriver_, readOnly};
    return Connection(logOnTo(handle_, logOn));
}

void Environment::close() {
    handle_.reset();
}

Environment createEnvironment(std::string name, std::string user, std::string password) {
    return Environment(std::move(name), std::move(user), std::move(password));
}

}  // namespace odbc
