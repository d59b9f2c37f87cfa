#include "midi/synthengine.h"
#include "midi/audioclock.h"
#include "midi/soundfontsearch.h"
#include "midi/soundoutput.h"

#include <QCoreApplication>

#include <thread>

namespace {

std::mutex creationLock;
std::unique_ptr<SynthEngine> engine;

// The worker that makes the engine ahead of its first use; joined before the engine goes.
struct Preparation
{
    std::thread worker;
    ~Preparation()
    {
        if (worker.joinable())
            worker.join();
    }
} preparation;

} // namespace

SynthEngine &SynthEngine::instance()
{
    std::lock_guard lock(creationLock);
    if (!engine)
        engine.reset(new SynthEngine);
    return *engine;
}

void SynthEngine::prepareInBackground()
{
    std::lock_guard lock(creationLock);
    if (engine || preparation.worker.joinable())
        return;
    preparation.worker = std::thread([] {
        try {
            instance();
        } catch (const std::exception &) {
            // The first use tries again and reports what went wrong.
        }
    });
}

SynthEngine::SynthEngine()
    : m_synth(SoundFontSearch::candidates(QCoreApplication::applicationDirPath())),
      m_sequencer(m_synth.synth(), m_synth.sampleRate())
{
    const int sampleRate = m_synth.sampleRate();
    m_clock = std::make_unique<AudioClock>(
        sampleRate,
        [this](float *left, float *right, int frames, int queuedFrames) {
            return render(left, right, frames, queuedFrames);
        },
        [sampleRate](const std::atomic<bool> &cancelled) { return SoundOutput::open(sampleRate, cancelled); });
}

SynthEngine::~SynthEngine() = default;

bool SynthEngine::render(float *left, float *right, int frames, int queuedFrames)
{
    std::lock_guard lock(m_lock);
    if (m_sequencer.render(left, right, frames))
        m_endHeardIn = queuedFrames + Sequencer::soundDelayFrames;
    else if (m_endHeardIn)
        *m_endHeardIn -= frames;
    if (m_endHeardIn && *m_endHeardIn <= 0) {
        m_endHeardIn.reset();
        if (m_onEnd)
            m_onEnd();
    }
    m_firstSound.observe(left, right, frames);
    return m_sequencer.isPlaying() || m_endHeardIn.has_value() || fluid_synth_get_active_voice_count(m_synth.synth()) > 0;
}

bool SynthEngine::claim(const void *owner, std::shared_ptr<const MidiFile> song, EndHandler onEnd)
{
    std::lock_guard lock(m_lock);
    if (m_owner && m_owner != owner)
        return false;
    m_owner = owner;
    m_onEnd = std::move(onEnd);
    m_endHeardIn.reset();
    m_sequencer.setSong(std::move(song));
    return true;
}

void SynthEngine::release(const void *owner)
{
    std::lock_guard lock(m_lock);
    if (m_owner != owner)
        return;
    m_sequencer.stop();
    m_sequencer.setSong(nullptr);
    m_onEnd = nullptr;
    m_endHeardIn.reset();
    m_owner = nullptr;
}

void SynthEngine::play(const void *owner)
{
    {
        std::lock_guard lock(m_lock);
        if (m_owner != owner)
            return;
        if (m_sequencer.atEnd())
            m_sequencer.rewind();
        m_endHeardIn.reset();
        m_sequencer.play();
    }
    m_clock->wake();
}

void SynthEngine::stop(const void *owner)
{
    std::lock_guard lock(m_lock);
    if (m_owner == owner) {
        m_sequencer.stop();
        m_endHeardIn.reset();
    }
}

int SynthEngine::positionMs(const void *owner) const
{
    std::lock_guard lock(m_lock);
    return m_owner == owner ? m_sequencer.positionMs() : 0;
}
