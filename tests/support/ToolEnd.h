#pragma once
// The tool's end of a simulated radio's line, opened as a serial program opens a port: at a rate,
// discarding what the line held, as a program does when it starts listening (the simulated radio
// announces itself only then).

#include <QElapsedTimer>
#include <QSerialPort>
#include <QString>

#include <gtest/gtest.h>

#include <string>

class CToolEnd {
public:
    CToolEnd(const QString& device, int baud) : m_port(device) {
        m_port.setBaudRate(baud);
        EXPECT_TRUE(m_port.open(QIODevice::ReadWrite)) << m_port.errorString().toStdString();
        m_port.clear(QSerialPort::Input);
    }
    void Write(const std::string& bytes) {
        m_port.write(bytes.data(), static_cast<qint64>(bytes.size()));
        m_port.waitForBytesWritten(kDeadlineMs);
    }
    // Reads until expected has arrived (true) or timeoutMs has passed; received collects all.
    bool WaitFor(const std::string& expected, int timeoutMs = kDeadlineMs) {
        QElapsedTimer clock;
        clock.start();
        while (received.find(expected) == std::string::npos && clock.elapsed() < timeoutMs) {
            m_port.waitForReadyRead(50);
            received += m_port.readAll().toStdString();
        }
        return received.find(expected) != std::string::npos;
    }

    // A bound against a hang only.
    static constexpr int kDeadlineMs = 15000;
    std::string received;

private:
    QSerialPort m_port;
};
