#pragma once

#include <QString>

// Why an action failed, for the operator; an empty reason means it succeeded. It tests true when the action
// failed:
//     if (const Failure failure = SaveWatchSettings(programDir, table))
//         show(failure.reason);
struct [[nodiscard]] Failure {
    QString reason;

    explicit operator bool() const { return !reason.isEmpty(); }
    bool operator==(const Failure &) const = default;
};
