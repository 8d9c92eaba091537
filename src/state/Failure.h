#pragma once

#include <QString>

// What went wrong in a failure path: its number and the text that names it.
struct Failure {
    int number = 0;
    QString description;
};
