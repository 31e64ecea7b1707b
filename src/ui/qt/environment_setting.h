#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

namespace mirutoka::ui::qt {

// A setting Qt reads only from the environment, put there for as long as
// this lives; then what was there (nothing, empty or a value) is put back,
// so that the program started on a match gets the environment mirutoka was
// given.
class EnvironmentSetting {
public:
    EnvironmentSetting(const char* name, const char* value) : name_(name) {
        if (qEnvironmentVariableIsSet(name)) before_ = qgetenv(name);
        qputenv(name, value);
    }
    EnvironmentSetting(const EnvironmentSetting&) = delete;
    EnvironmentSetting& operator=(const EnvironmentSetting&) = delete;
    ~EnvironmentSetting() {
        if (before_) qputenv(name_, *before_);
        else qunsetenv(name_);
    }

private:
    const char* name_;
    std::optional<QByteArray> before_;
};

}  // namespace mirutoka::ui::qt
