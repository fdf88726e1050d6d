#include "document/WriteVerify.h"

#include "base/Timing.h"
#include "connect/RadioSession.h"
#include "exchange/ReadFailureText.h"
#include "exchange/WriteFault.h"

namespace Doc {
namespace {

QString Pick(bool english, const char* chinese, const char* english_) {
    return QString::fromUtf8(english ? english_ : chinese);
}

QString SavedLine(const WriteReport& report, bool english) {
    return report.saveUnclear ? QString::fromStdString(SaveUnconfirmedText(english))
                              : Pick(english, "保存完毕！", "Saved already！");
}

QString Limited(const QStringList& lines, bool english, int most) {
    QStringList named = lines.mid(0, most);
    if (lines.size() > most) {
        const qsizetype more = lines.size() - most;
        named.append(english ? QStringLiteral("(and %1 more)").arg(more)
                             : QStringLiteral("（另有 %1 处）").arg(more));
    }
    return named.join(QLatin1Char('\n'));
}

WriteReport Report(WriteOutcome outcome, bool saveUnclear = false) {
    WriteReport report;
    report.outcome = outcome;
    report.saveUnclear = saveUnclear;
    return report;
}

} // namespace

bool WriteReport::SaveSent() const {
    switch (outcome) {
    case WriteOutcome::Saved:
    case WriteOutcome::Verified:
    case WriteOutcome::HoldsOther:
    case WriteOutcome::Unverified:
    case WriteOutcome::SaveUnclear:
        return true;
    case WriteOutcome::Refused:
    case WriteOutcome::Broken:
    case WriteOutcome::NoAnswer:
        break;
    }
    return false;
}

QString WriteReport::Message(bool english, int most) const {
    QStringList lines;
    if (replyRejected) {
        lines << Pick(english, "电台发来的应答过长，不是它的任何一种应答，已忽略。",
                      "The radio sent a reply too long to be one of its answers; it was ignored.");
    }
    switch (outcome) {
    case WriteOutcome::Saved:
    case WriteOutcome::SaveUnclear:
        lines << SavedLine(*this, english);
        break;
    case WriteOutcome::Verified:
        lines << SavedLine(*this, english)
              << Pick(english, "校验完毕：电台中的设置与写入的一致。",
                      "Verified: the radio holds what was written.");
        break;
    case WriteOutcome::HoldsOther:
        lines << SavedLine(*this, english)
              << Pick(english, "校验发现电台中的设置与写入的不同（写入 -> 电台中）：",
                      "The radio does not hold what was written (written -> held):")
              << Limited(DifferenceLines(verification.differences, english), english, most);
        break;
    case WriteOutcome::Unverified:
        lines << SavedLine(*this, english)
              << Pick(english, "无法回读电台进行校验：",
                      "The radio could not be read back to "
                      "verify the settings: ") +
                     Detail(english);
        break;
    case WriteOutcome::Refused:
        lines << Pick(english, "数据有误，请检查！", "Error，Please check！");
        break;
    case WriteOutcome::Broken:
        lines << Detail(english)
              << Pick(english, "写入已停止，设置未保存。",
                      "The write stopped; the settings were "
                      "not saved.");
        break;
    case WriteOutcome::NoAnswer:
        lines << Pick(english, "电台没有应答，设置未保存完毕。请检查电台后重新设置。",
                      "The radio does not answer; the settings were not all saved. Please check "
                      "the radio and Set again.");
        break;
    }
    if (const QString notChecked = NotCheckedLine(verification, english); !notChecked.isEmpty()) {
        lines << notChecked;
    }
    return lines.join(QLatin1Char('\n'));
}

CWriteVerify::CWriteVerify(CRadioSession& session, QObject* parent)
    : QObject(parent), m_session(session) {
    qRegisterMetaType<Doc::WriteReport>();
    m_settle.setSingleShot(true);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        if (m_phase != Phase::Settling) {
            return;
        }
        m_phase = Phase::ReadBack;
        if (!m_session.ReadAgain(m_family)) {
            ReadBackFailed(QStringLiteral("串口已关闭或电台正忙。"),
                           QStringLiteral("the port is closed or the radio is busy."));
        }
    });
    connect(&m_session, &CRadioSession::writeFinished, this, [this](RadioFamily) {
        if (m_phase == Phase::Writing) {
            OnSaveAnswered(true);
        }
    });
    connect(&m_session, &CRadioSession::saveUnconfirmed, this, [this](RadioFamily) {
        if (m_phase == Phase::Writing) {
            OnSaveAnswered(false);
        }
    });
    connect(&m_session, &CRadioSession::writeFailed, this, [this](RadioFamily) {
        if (m_phase == Phase::Writing) {
            Finish(Report(WriteOutcome::Refused));
        }
    });
    connect(&m_session, &CRadioSession::writeBroken, this,
            [this](RadioFamily, const QString& chinese, const QString& english) {
                if (m_phase == Phase::Writing) {
                    WriteReport report = Report(WriteOutcome::Broken);
                    report.detailChinese = chinese;
                    report.detailEnglish = english;
                    Finish(report);
                }
            });
    connect(&m_session, &CRadioSession::replyRejected, this, [this] {
        if (m_phase == Phase::Writing || m_phase == Phase::ReadBack) {
            m_replyRejected = true;
        }
    });
    connect(&m_session, &CRadioSession::noAnswer, this, &CWriteVerify::OnNoAnswer);
    connect(&m_session, &CRadioSession::readFinished, this, &CWriteVerify::OnReadFinished);
    connect(&m_session, &CRadioSession::readFailed, this,
            [this](ReadFailure why, const QString& command, const QString& reply) {
                if (m_phase == Phase::ReadBack) {
                    const std::string sent = command.toStdString();
                    const std::string raw = reply.toLatin1().toStdString();
                    ReadBackFailed(QString::fromStdString(ReadFailureText(why, sent, raw, false)),
                                   QString::fromStdString(ReadFailureText(why, sent, raw, true)));
                }
            });
}

bool CWriteVerify::Start(const WriteOrder& order, const SettingsDocument& before, bool verify) {
    if (Running()) {
        return false;
    }
    const bool started = order.family == FAMILY_ORV ? m_session.StartWrite(order.orv)
                                                    : m_session.StartWrite(order.qx);
    if (!started) {
        return false;
    }
    m_family = order.family;
    m_verify = verify;
    m_saveUnclear = false;
    m_replyRejected = false;
    m_expected = order.family == FAMILY_ORV ? ExpectedAfterWrite(order.orv, before)
                                            : ExpectedAfterWrite(order.qx, before);
    m_phase = Phase::Writing;
    return true;
}

void CWriteVerify::Abandon() {
    m_settle.stop();
    m_endsReadBack = false;
    m_phase = Phase::Idle;
}

void CWriteVerify::OnSaveAnswered(bool understood) {
    m_saveUnclear = !understood;
    if (!m_verify) {
        Finish(Report(understood ? WriteOutcome::Saved : WriteOutcome::SaveUnclear, !understood));
        return;
    }
    m_phase = Phase::Settling;
    emit readingBack(m_saveUnclear);
    m_session.Hold(kSettleMs);
    m_settle.start(Timing::ScaledMs(kSettleMs));
}

void CWriteVerify::OnReadFinished(const RadioSnapshot& read) {
    if (m_phase != Phase::ReadBack) {
        return;
    }
    WriteReport report;
    report.saveUnclear = m_saveUnclear;
    report.held = SettingsDocument{read.family, read.settings};
    report.verification = VerifyHeld(m_expected, *report.held);
    report.outcome = report.verification.differences.isEmpty() ? WriteOutcome::Verified
                                                               : WriteOutcome::HoldsOther;
    Finish(report);
}

void CWriteVerify::OnNoAnswer() {
    if (m_phase == Phase::Writing) {
        Finish(Report(WriteOutcome::NoAnswer));
    } else if (m_phase == Phase::ReadBack) {
        ReadBackFailed(QStringLiteral("读取时电台停止了应答。"),
                       QStringLiteral("the radio stopped answering while it was read."));
    }
}

void CWriteVerify::ReadBackFailed(const QString& chinese, const QString& english) {
    WriteReport report = Report(WriteOutcome::Unverified, m_saveUnclear);
    report.detailChinese = chinese;
    report.detailEnglish = english;
    Finish(report);
}

void CWriteVerify::Finish(WriteReport report) {
    if (m_phase == Phase::Ending || m_phase == Phase::Idle) {
        return;
    }
    // Everyone listening to the session's signal that ended the road hears it as part of this
    // road before the report goes out.
    m_endsReadBack = m_phase == Phase::ReadBack;
    m_phase = Phase::Ending;
    report.replyRejected = m_replyRejected;
    m_settle.stop();
    QTimer::singleShot(0, this, [this, report] {
        if (m_phase != Phase::Ending) {
            return; // abandoned meanwhile
        }
        m_endsReadBack = false;
        m_phase = Phase::Idle;
        emit finished(report);
    });
}

} // namespace Doc
