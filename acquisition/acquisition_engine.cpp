#include "acquisition/acquisition_engine.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "acquisition/channel_view.h"
#include "common/cp1251.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/number_text.h"
#include "acquisition/voltage_calibration.h"

namespace vk7 {

double AcquisitionState::zeroCorrection(int channel) const {
    const int physical = (channelPairAB ? 0 : 2) + (channel - 1);
    return calibration.zeroCorrection[size_t(physical)];
}

AcquisitionEngine::AcquisitionEngine(Environment env, AcquisitionHooks* hooks)
    : env_(std::move(env)),
      hooks_(hooks ? hooks : &defaultHooks_),
      regime_(RegimeEditor::Environment{env_.start, env_.dialogs, state_.regime, state_.settings.channelName,
                                        state_.settings.recordTimeSec, state_.polarity, state_.channelPairAB,
                                        [this](int channel) { return isRecording(channel); }}) {
    describe_ = [](const std::exception& e) { return toCp1251(e.what()); };
    for (int ch = 1; ch <= 2; ++ch)
        scales_[size_t(ch - 1)] =
            levelScaleGeometry(state_.levelWidth, state_.levelHeight, state_.fullScaleVolts[size_t(ch - 1)]);
}

AcquisitionEngine::~AcquisitionEngine() {
    if (inputOpen_) {
        env_.input.reset();
        env_.input.close();
    }
}

void AcquisitionEngine::setHooks(AcquisitionHooks* hooks) { hooks_ = hooks ? hooks : &defaultHooks_; }

void AcquisitionEngine::message(MessageKind kind, const std::string& caption, const std::string& text) {
    MessageRequest r;
    r.kind = kind;
    r.buttons = MessageButtons::Ok;
    r.caption = caption;
    r.text = text;
    if (deferMessages_)
        startMessages_.push_back(std::move(r));
    else if (inBlock_)
        blockMessages_.push_back(std::move(r));
    else
        env_.dialogs.message(r);
}

void AcquisitionEngine::reportFailure(const std::exception& e) { message(MessageKind::Error, "", describe_(e)); }

void AcquisitionEngine::showStartMessages() {
    deferMessages_ = false;
    std::vector<MessageRequest> pending = std::move(startMessages_);
    startMessages_.clear();
    for (const auto& r : pending) env_.dialogs.message(r);
}

// ---- start and close -----------------------------------------------------------------

void AcquisitionEngine::loadSettingsFiles() {
    // A missing file is reported and its defaults are used (it is written at close); a file
    // that exists but cannot be read is reported and kept as it is.
    auto load = [this](const char* name, bool& keep) -> std::optional<std::vector<std::string>> {
        const fs::path path = settingsFilePath(env_.start, name);
        try {
            auto lines = readLinesIfExists(path, kSettingsLineLength);
            if (!lines)
                message(MessageKind::Warning, "",
                        RU("Нет файла ") + textFromPath(path) + "\n" + RU("Приняты значения по умолчанию."));
            return lines;
        } catch (const std::exception& e) {
            keep = true;
            message(MessageKind::Error, "",
                    describe_(e) + "\n" + RU("Приняты значения по умолчанию, файл при выходе не перезаписывается."));
            return std::nullopt;
        }
    };
    if (auto lines = load(kVoltageCalibrationFile, keepCalibrationFile_)) state_.calibration = parseVoltageCalibration(*lines);
    if (auto lines = load(kProgramSettingsFile, keepSettingsFile_)) state_.settings = parseProgramSettings(*lines);
}

void AcquisitionEngine::writeSettingsFiles() {
    if (!keepCalibrationFile_) {
        try {
            writeLines(settingsFilePath(env_.start, kVoltageCalibrationFile), voltageCalibrationLines(state_.calibration));
        } catch (const std::exception& e) {
            reportFailure(e);
        }
    }
    if (!keepSettingsFile_) {
        try {
            writeLines(settingsFilePath(env_.start, kProgramSettingsFile), programSettingsLines(state_.settings));
        } catch (const std::exception& e) {
            reportFailure(e);
        }
    }
}

void AcquisitionEngine::startSoundInput() {
    inputError_ = env_.input.open(state_.settings.inputSampleRate, *this);
    inputOpen_ = inputError_ == SoundOpenError::None;
    lostSeen_ = env_.input.lostBlocks();
    state_.inputHow = env_.input.openedHow();
    // A window manager shortens the caption: the text says what failed and why.
    auto fail = [this](const std::string& caption, const std::string& meaning) {
        const std::string reason = env_.input.failureReason();
        message(MessageKind::Error, caption, reason.empty() ? meaning : meaning + "\n" + reason);
    };
    switch (inputError_) {
        case SoundOpenError::None: break;
        case SoundOpenError::NoDevice: fail(RU("нет звуковой платы"), RU("Нет звуковой платы")); break;
        case SoundOpenError::OpenFailed: fail(RU("Не открывается зв. карта"), RU("Не открывается зв. карта")); break;
        case SoundOpenError::PrepareFailed: fail("error", RU("Ошибка подготовки буфера")); break;
        case SoundOpenError::StartFailed: fail("error", RU("Ошибка включения")); break;
    }
}

void AcquisitionEngine::create(int levelWidth, int levelHeight) {
    deferMessages_ = true;
    state_.display = {};
    // The program rewrites files in the start folder (vk7.dat, calibrvk) and in \space\ (the
    // regime files, metn, the dictionaries): temporaries that a killed rewrite left there
    // are full copies nobody reads.
    removeStaleRewriteTemporaries(env_.start.root());
    removeStaleRewriteTemporaries(env_.start.folder("space"));
    loadSettingsFiles();
    startSoundInput();
    state_.fullScaleVolts = {1.5625, 1.5625};
    state_.levelWidth = levelWidth;
    state_.levelHeight = levelHeight;
    for (int ch = 1; ch <= 2; ++ch) {
        const size_t i = size_t(ch - 1);
        scales_[i] = levelScaleGeometry(levelWidth, levelHeight, state_.fullScaleVolts[i]);
        state_.levelScale[i] = scales_[i].pixelsPerVolt;
    }
    state_.calibrationState = 0;
    state_.noiseCount = 0;
    state_.noiseSum = {0, 0};
    state_.noiseSumSq = {0, 0};
    hooks_->createServiceThread();
    state_.channelPairAB = true;
    try {
        switchChannelPair();
    } catch (const std::exception& e) {
        reportFailure(e);
    }
    // Recordings that a kill, a power loss or a full disk cut short become chromatograms
    // the processing program lists, with every point they hold.
    finishInterruptedRecordings();
}

void AcquisitionEngine::finishInterruptedRecordings() {
    // The data folders of both pairs, each with the names of its channels by file letter:
    // pair AB as just loaded, pair CD from its settings file.
    std::array<std::string, 4> names;  // a, b, c, d
    std::array<fs::path, 4> folders;
    const bool ab = state_.channelPairAB;
    for (int ch = 1; ch <= 2; ++ch) {
        names[size_t((ab ? 0 : 2) + ch - 1)] = state_.settings.channelName[size_t(ch - 1)];
        folders[size_t((ab ? 0 : 2) + ch - 1)] = regime_.dataFolderPath(ch);
    }
    try {
        if (auto lines = readLinesIfExists(env_.start.file("space", channelSettingsFileName(!ab)))) {
            const ChannelSettingsValues other = parseChannelSettingsLines(*lines);
            const fs::path data = env_.start.folder("data");
            for (size_t ch = 0; ch < 2; ++ch) {
                names[(ab ? 2 : 0) + ch] = other.name[ch];
                folders[(ab ? 2 : 0) + ch] =
                    other.dataFolder[ch].empty() ? data : findNoCase(data, other.dataFolder[ch]);
            }
        }
    } catch (const std::exception&) {
        // An unreadable settings file of the other pair: its folders wait for a start that
        // can read it.
    }
    auto nameOf = [&](char letter) {
        return letter >= 'a' && letter <= 'd' ? cutText(names[size_t(letter - 'a')], kChannelNameLength) : std::string();
    };
    std::vector<InterruptedRecording> all;
    std::vector<fs::path> seen;
    for (const fs::path& folder : folders) {
        if (folder.empty() || std::find(seen.begin(), seen.end(), folder.lexically_normal()) != seen.end()) continue;
        seen.push_back(folder.lexically_normal());
        for (InterruptedRecording& r : FinishInterruptedRecordings(folder, nameOf)) all.push_back(std::move(r));
    }

    // One message for all of them.
    const fs::path root = env_.start.root();
    // Written as the program's messages write paths below the start folder ("\data\kanal1\h1a.hrm").
    auto shown = [&](const fs::path& p) {
        std::string text;
        for (const fs::path& name : p.lexically_relative(root)) text += "\\" + textFromPath(name);
        return text;
    };
    std::string finished, failed;
    for (const InterruptedRecording& r : all) {
        const std::string points = countText(r.points, RU("точка"), RU("точки"), RU("точек"));
        if (!r.finished.empty()) {
            finished += "\n" + shown(r.finished);
            if (r.finished.stem() != r.file.stem()) finished += RU(" (был ") + textFromPath(r.file.filename()) + ")";
            finished += ": " + points;
        } else if (!r.failure.empty()) {
            failed += "\n" + shown(r.file) + ": " + toCp1251(r.failure);
        }
    }
    if (finished.empty() && failed.empty()) return;
    std::string text;
    if (!finished.empty())
        text = RU("Записи, прерванные при прошлой работе программы, закончены со всеми записанными точками:") + finished;
    if (!failed.empty())
        text += (text.empty() ? "" : "\n\n") + RU("Не удалось закончить прерванные записи:") + failed;
    message(failed.empty() ? MessageKind::Information : MessageKind::Warning, "", text);
}

bool AcquisitionEngine::close() {
    if (isRecording(1) || isRecording(2)) {
        if (!env_.dialogs.confirm(RU("Запись сигналов не окончена. Остановить ее?"))) return false;
        stopAllRecordings();
    }
    // The files first: a device that stopped answering must not cost the settings.
    writeSettingsFiles();
    try {
        regime_.save();
    } catch (const std::exception& e) {
        reportFailure(e);
    }
    if (inputOpen_) {
        env_.input.reset();
        env_.input.close();
        inputOpen_ = false;
    }
    return true;
}

void AcquisitionEngine::destroy() {
    // A command sent just before (a pair switch, the reference zero) must reach the box
    // before its output stops; a command that played long ago keeps no one waiting.
    for (int waited = 0; waited < kCommandPlayWaitMs && !hooks_->commandsPlayed(); waited += 10)
        if (env_.sleep) env_.sleep(10);
    hooks_->endServiceThread();
}

// ---- recording hooks -------------------------------------------------------------------

bool AcquisitionEngine::isRecording(int channel) const { return recordings_[size_t(channel - 1)].recording(); }

void AcquisitionEngine::startRecording(int channel) {
    if (isRecording(channel)) return;
    // No recording while the calibration's setup is open: the inputs may be on a reference.
    if (state_.calibrationState != 0) return;
    const size_t i = size_t(channel - 1);
    RecordingPlan plan;
    plan.folder = regime_.dataFolderPath(channel);
    plan.letter = state_.channelPairAB ? (channel == 1 ? 'a' : 'b') : (channel == 1 ? 'c' : 'd');
    plan.parameters = state_.regime.parameters[i];
    plan.channelValue = state_.regime.channelValue[i];
    plan.channelName = cutText(state_.settings.channelName[i], kChannelNameLength);
    plan.polarity = state_.polarity[i];
    plan.recordTimeSec = state_.settings.recordTimeSec[i];
    plan.plannedCount = plannedPointCount(plan.recordTimeSec, state_.settings.pointsPerSecond);
    recordings_[i].start(plan);
    state_.display[i].progressText.clear();
    recordingStarted(channel);
}

void AcquisitionEngine::stopRecording(int channel) {
    const size_t i = size_t(channel - 1);
    ChannelRecording& r = recordings_[i];
    if (!r.recording()) return;
    ChannelRecording::Finished finished;
    try {
        finished = r.finish(env_.clock.now());
        if (!finished.renamed)
            message(MessageKind::Warning, "",
                    RU("Файл ") + r.fileName() + RU("m уже существует. Запись сохранена в файле ") + r.fileName() + ".");
    } catch (const std::exception& e) {
        // The comment did not fit (a full disk): the file keeps its points as .hr.
        message(MessageKind::Error, "", describe_(e) + "\n" + unfinishedFileText(r));
        finished = {r.currentPath(), false};
    }
    recordingFinished(channel, finished);
}

std::string AcquisitionEngine::unfinishedFileText(const ChannelRecording& r) {
    return RU("Файл ") + r.fileName() + " (" + countText(r.recordedCount(), RU("точка"), RU("точки"), RU("точек")) +
           RU(") не удалось закончить: он будет закончен при следующем запуске программы.");
}

void AcquisitionEngine::writePoint(int channel, int16_t point) {
    const size_t i = size_t(channel - 1);
    ChannelRecording& r = recordings_[i];
    try {
        r.writePoint(point);
    } catch (const std::exception& e) {
        // This channel stops, the other one goes on. Its file is finished at once with the
        // points written so far where the disk allows that; otherwise it stays .hr, whole,
        // and the next start finishes it. A file without a point goes.
        std::string text = describe_(e) + "\n" + RU("Запись канала остановлена");
        ChannelRecording::Finished finished{r.currentPath(), false};
        if (r.recordedCount() == 0) {
            r.abandon();
            std::error_code ignored;
            fs::remove(r.currentPath(), ignored);
            text += RU(": не записано ни одной точки.");
        } else {
            try {
                finished = r.finish(env_.clock.now());
                text += RU(". Файл ") + textFromPath(finished.file.filename()) + RU(" сохранен: ") +
                        countText(r.recordedCount(), RU("точка"), RU("точки"), RU("точек")) + ".";
            } catch (const std::exception&) {
                text += ". " + unfinishedFileText(r);
            }
        }
        message(MessageKind::Error, "", text);
        recordingFinished(channel, finished);
        return;
    }
    const double minutes = r.recordedCount() / state_.settings.pointsPerSecond / 60.0;
    state_.display[i].progressText =
        fixedText(minutes, 7, 2) + "/" + std::string(trimBlanks(recordTimeMinutesText(r.plan().recordTimeSec))) + RU(" мин");
    if (r.planReached()) stopRecording(channel);
}

void AcquisitionEngine::takeLostBlocks() {
    const uint64_t lost = env_.input.lostBlocks();
    if (lost <= lostSeen_) return;
    const uint64_t n = lost - lostSeen_;
    lostSeen_ = lost;
    state_.lostBlocks += n;
    for (size_t i = 0; i < 2; ++i)
        if (state_.countingLoss[i]) state_.recordingLost[i] += n;
}

void AcquisitionEngine::recordingStarted(int channel) {
    const size_t i = size_t(channel - 1);
    if (state_.countingLoss[i]) return;
    takeLostBlocks();  // what was lost before the start is not this recording's
    state_.countingLoss[i] = true;
    state_.recordingLost[i] = 0;
}

void AcquisitionEngine::recordingFinished(int channel, const ChannelRecording::Finished& finished) {
    (void)finished;
    const size_t i = size_t(channel - 1);
    if (!state_.countingLoss[i]) return;
    takeLostBlocks();
    state_.countingLoss[i] = false;
    if (state_.recordingLost[i] > 0) {
        const auto n = int64_t(state_.recordingLost[i]);
        message(MessageKind::Warning, "",
                RU("При записи ") + std::string(russianPlural(n, RU("потеряна"), RU("потеряно"), RU("потеряно"))) + " " +
                    countText(n, RU("точка"), RU("точки"), RU("точек")));
    }
}

std::string AcquisitionEngine::inputDiagnosticsText() const {
    std::string t = state_.inputHow.empty() ? RU("Вход не открыт") : state_.inputHow;
    t += RU(". Потеряно блоков: ") + intText(int64_t(state_.lostBlocks));
    t += RU("; при записи: ") + intText(int64_t(state_.recordingLost[0])) + " / " +
         intText(int64_t(state_.recordingLost[1]));
    return t;
}

std::string AcquisitionEngine::outputDiagnosticsText() const { return hooks_->outputNote(); }

void AcquisitionEngine::loadPreview(int channel) {
    const ChannelRecording& r = recordings_[size_t(channel - 1)];
    LoadPreview(r.currentPath(), r.recording(), state_.settings.pointsPerSecond, previews_[size_t(channel - 1)]);
}

bool AcquisitionEngine::correctTimeScale(double startSec, double endSec, const std::string& trueMinutesText) {
    const auto rate = correctedPointsPerSecond(state_.settings.pointsPerSecond, startSec, endSec, trueMinutesText);
    if (!rate) {
        env_.dialogs.warning(RU("Неверный отрезок коррекции времени"));
        return false;
    }
    state_.settings.pointsPerSecond = *rate;
    for (auto& p : previews_) p.rate = *rate;
    return true;
}

// ---- channel pair ----------------------------------------------------------------------

std::string AcquisitionEngine::channelLabel(int channel) const {
    if (state_.channelPairAB) return channel == 1 ? RU("Канал А") : RU("Канал В");
    return channel == 1 ? RU("Канал C") : RU("Канал D");
}

void AcquisitionEngine::switchChannelPair() {
    const bool ab = state_.channelPairAB;
    state_.groupCaption = {channelLabel(1), channelLabel(2)};
    if (state_.calibrationState == 1) state_.correctionEnabled = {ab, ab, !ab, !ab};
    hooks_->sendBoxCommand(ab ? kCommandPairAB : kCommandPairCD);
    regime_.load();
}

bool AcquisitionEngine::togglePairSaving() {
    if (anyRecording()) return false;
    regime_.save();
    state_.channelPairAB = !state_.channelPairAB;
    switchChannelPair();
    return true;
}

void AcquisitionEngine::stopAllRecordings() {
    if (isRecording(1)) stopRecording(1);
    if (isRecording(2)) stopRecording(2);
}

// ---- editors and switches --------------------------------------------------------------

std::string AcquisitionEngine::recordTimeEditText(int channel) const {
    return recordTimeMinutesText(state_.settings.recordTimeSec[size_t(channel - 1)]);
}

void AcquisitionEngine::acceptRecordTime(int channel, const std::string& text) {
    state_.settings.recordTimeSec[size_t(channel - 1)] = recordTimeFromMinutesText(text);
}

// ---- channel pair and voltage calibration ------------------------------------------------

std::string AcquisitionEngine::openCalibration() {
    state_.calibrationState = 1;
    const bool ab = state_.channelPairAB;
    state_.correctionEnabled = {ab, ab, !ab, !ab};
    return fixedText(state_.calibration.referenceVolts, 6, 3);
}

bool AcquisitionEngine::leaveCalibration(bool anyState) {
    if (!anyState && state_.calibrationState != 1) return false;
    state_.calibrationState = 0;
    // The grid of the pair shown is kept before pair AB is loaded.
    regime_.save();
    state_.channelPairAB = true;
    switchChannelPair();
    return true;
}

void AcquisitionEngine::connectReference() {
    state_.correctionEnabled = {false, false, false, false};
    state_.groupCaption = {RU("Образцовое напряжение"), RU("Образцовое напряжение")};
    hooks_->sendBoxCommand(kCommandReferenceVoltage);
}

void AcquisitionEngine::connectZero() {
    state_.correctionEnabled = {false, false, false, false};
    state_.groupCaption = {RU("Образцовый ноль"), RU("Образцовый ноль")};
    hooks_->sendBoxCommand(kCommandReferenceZero);
}

void AcquisitionEngine::startCalibrationCycle(const std::string& referenceText) {
    const double x = parseLenient(referenceText);
    if (x <= 0.1) {
        // The setup stays open in state 1: "X" still closes it, and no correction is taken
        // against a cycle that never ran.
        message(MessageKind::Warning, "", RU("Проверьте величину образцового напряжения"));
        state_.calibrationState = 1;
        return;
    }
    state_.calibration.referenceVolts = x;
    hooks_->sendBoxCommand(kCommandReferenceVoltage);
    if (env_.sleep) env_.sleep(100);
    state_.calibrationState = 2;
    state_.calibrationBufferCount = 0;
}

bool AcquisitionEngine::pairSwitchAllowed() const {
    return calibrationAllowed() && state_.calibrationState != 2 && state_.calibrationState != 3;
}

bool AcquisitionEngine::selectChannelPair(bool ab) {
    if (!pairSwitchAllowed()) return false;
    regime_.save();
    state_.channelPairAB = ab;
    switchChannelPair();
    return true;
}

bool AcquisitionEngine::takeZeroCorrection(int physical) {
    const bool ab = state_.channelPairAB;
    if ((physical < 2) != ab) return false;
    const int channel = physical % 2 + 1;
    state_.calibration.zeroCorrection[size_t(physical)] = -state_.measuredVolts[size_t(channel - 1)];
    return true;
}

void AcquisitionEngine::computeCalibration() {
    if (!ComputeCalibration(state_.calibration, state_.ampPlus, state_.ampZero))
        message(MessageKind::Warning, "", RU("Калибровка нежелательна. Проверьте показания \"+\" и \"0\"."));
}

void AcquisitionEngine::toggleDiagnostics() { state_.diagnosticsShown = !state_.diagnosticsShown; }
void AcquisitionEngine::toggleChannel2() { state_.settings.channel2On = !state_.settings.channel2On; }

void AcquisitionEngine::timerTick() {
    for (int ch = 1; ch <= 2; ++ch) {
        state_.blinkPhase[size_t(ch - 1)] = !state_.blinkPhase[size_t(ch - 1)];
    }
}

// ---- input blocks ----------------------------------------------------------------------

void AcquisitionEngine::blockFilled(const int16_t* frames, int frameCount) {
    // The block goes back to the input whatever happens while it is processed, and before
    // any message box of its own is shown: the input goes on under a modal box (the blocks
    // arriving meanwhile are processed by the box's event loop), so a recording loses no
    // point to a box. A failure is reported once and the acquisition goes on.
    const bool outer = !inBlock_;
    inBlock_ = true;
    try {
        takeLostBlocks();
        if (frameCount >= SoundInput::kFramesPerBlock) processInputBuffer(frames);
    } catch (const std::exception& e) {
        if (!blockErrorReported_) {
            blockErrorReported_ = true;
            reportFailure(e);
        }
    }
    if (outer) inBlock_ = false;
    env_.input.requeue();
    if (observer_) observer_();
    if (!outer) return;
    while (!blockMessages_.empty()) {
        MessageRequest r = std::move(blockMessages_.front());
        blockMessages_.erase(blockMessages_.begin());
        env_.dialogs.message(r);
    }
}

void AcquisitionEngine::inputFailed(const std::string& what) {
    if (inputFailureReported_) return;
    inputFailureReported_ = true;
    message(MessageKind::Error, RU("Не открывается зв. карта"), RU("Прием сигналов прекращен\n") + what);
}

void AcquisitionEngine::inputStalled(const std::string& what) {
    // A capture that failed gives no sound either: that cause has had its message.
    if (stallReported_ || inputFailureReported_) return;
    stallReported_ = true;
    message(MessageKind::Warning, "", RU("Звуковая карта не дает сигнала\n") + what);
}

void AcquisitionEngine::processInputBuffer(const int16_t* frames) {
    const auto scans = scanBlock(frames);
    const int a1 = scans[0].amplitude, a2 = scans[1].amplitude;

    if (a1 < kPowerThreshold && a2 < kPowerThreshold && !state_.firstBufferDone && !powerWarned_) {
        powerWarned_ = true;
        message(MessageKind::Warning, "", RU("Проверьте питание приставки!"));
    }

    if (state_.calibrationState == 2 && state_.calibrationBufferCount > 10) {
        state_.ampPlus = {uint16_t(a1), uint16_t(a2)};
        hooks_->sendBoxCommand(kCommandReferenceZero);
        state_.calibrationState = 3;
        state_.calibrationBufferCount = 0;
        return;
    }
    if (state_.calibrationState == 3 && state_.calibrationBufferCount > 10) {
        state_.ampZero = {uint16_t(a1), uint16_t(a2)};
        state_.calibrationState = 1;
        regime_.save();
        state_.channelPairAB = true;
        switchChannelPair();
        computeCalibration();
        return;
    }

    processChannel(1, scans[0]);
    processChannel(2, scans[1]);
    finishNoiseWindow();
    state_.firstBufferDone = true;
    if (++state_.calibrationBufferCount > 250) state_.calibrationBufferCount = 0;
}

void AcquisitionEngine::processChannel(int channel, const ChannelScan& scan) {
    const size_t i = size_t(channel - 1);
    const bool on = channel == 1 || state_.settings.channel2On;
    ChannelDisplay& d = state_.display[i];
    const auto& cal = state_.calibration;

    // Value.
    d.adcText = intText(scan.amplitude);
    const double v = amplitudeToVolts(scan.amplitude, cal.slope[i], cal.intercept[i], state_.calibrationState == 0,
                                      state_.zeroCorrection(channel));
    state_.measuredVolts[i] = v;
    if (on)
        d.valueText = fixedText(v * 1000.0, 6, 1) + RU(" мВ");
    else
        d.valueText.clear();

    // Noise sums.
    state_.noiseSum[i] += v;
    state_.noiseSumSq[i] += v * v;

    // The point of a running recording comes before the auto-start test, so that a
    // recording the carrier starts takes its first point from the next block.
    if (isRecording(channel))
        writePoint(channel, recordedPoint(v, state_.fullScaleVolts[i], recordings_[i].plan().polarity));

    // Frequency measured up to the previous block, and the auto-start.
    const double period = state_.periodMs[i];
    if (period == 0) {
        d.frequencyText.clear();
    } else {
        const double hz = 1.0 / period * 1000.0;
        if (autoStartWanted(period, v, state_.calibrationState, isRecording(channel), on)) startRecording(channel);
        d.frequencyText = fixedText(hz / 1000.0, 8, 2) + RU(" кГц");
    }

    // Period of this block.
    const double p = periodMsFromScan(scan, state_.settings.inputSampleRate);
    if (p != 0) state_.periodMs[i] = p;

    // Level bar.
    d.barWidth = levelBarWidth(v, state_.levelScale[i], state_.levelWidth);
    d.barRed = v > 0;
    d.barShown = on;
}

void AcquisitionEngine::finishNoiseWindow() {
    if (++state_.noiseCount < 30) return;
    for (size_t i = 0; i < 2; ++i) {
        const double s = noiseDeviation(state_.noiseSum[i], state_.noiseSumSq[i], 30);
        state_.display[i].noiseText = fixedText(s / 0.3125 * 100.0, 7, 4) + " %";
        state_.noiseSum[i] = 0;
        state_.noiseSumSq[i] = 0;
    }
    state_.noiseCount = 0;
}

}  // namespace vk7
