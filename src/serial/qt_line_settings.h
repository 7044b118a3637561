#pragma once

#include <QSerialPort>

#include "core/line_settings.h"

namespace espa {

// LineSettings in QSerialPort's terms, for every program that opens a real port.
inline QSerialPort::Parity ToQtParity(LineSettings::Parity parity) {
    switch (parity) {
        case LineSettings::Parity::Even:
            return QSerialPort::EvenParity;
        case LineSettings::Parity::Odd:
            return QSerialPort::OddParity;
        case LineSettings::Parity::Mark:
            return QSerialPort::MarkParity;
        case LineSettings::Parity::Space:
            return QSerialPort::SpaceParity;
        case LineSettings::Parity::None:
            break;
    }
    return QSerialPort::NoParity;
}

// QSerialPort's data bits are numbered as they count.
inline QSerialPort::DataBits ToQtDataBits(int bits) {
    return static_cast<QSerialPort::DataBits>(bits);
}

inline QSerialPort::StopBits ToQtStopBits(LineSettings::StopBits stopBits) {
    switch (stopBits) {
        case LineSettings::StopBits::OneAndHalf:
            return QSerialPort::OneAndHalfStop;
        case LineSettings::StopBits::Two:
            return QSerialPort::TwoStop;
        case LineSettings::StopBits::One:
            break;
    }
    return QSerialPort::OneStop;
}

}  // namespace espa
