#include "midi/synthengine.h"
#include "midi/silentclock.h"
#include "midi/soundfontsearch.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstring>
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

bool silentByRequest()
{
    return qEnvironmentVariable("QUAVELO_AUDIO") == QLatin1String("none");
}

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
    if (silentByRequest() || !openAudioDriver()) {
        m_silentClock = std::make_unique<SilentClock>(
            m_synth.sampleRate(),
            [this](float *left, float *right, int frames) { return render(left, right, frames); });
    }
}

SynthEngine::~SynthEngine()
{
    // The audio threads go first: they render through the synthesiser and the sequencer.
    if (m_driver)
        delete_fluid_audio_driver(m_driver);
    m_silentClock.reset();
}

bool SynthEngine::openAudioDriver()
{
    for (const char *name : {"pulseaudio", "pipewire", "alsa"}) {
        if (fluid_settings_setstr(m_synth.settings(), "audio.driver", name) != FLUID_OK)
            continue; // not built into this FluidSynth
        m_driver = new_fluid_audio_driver2(m_synth.settings(), &SynthEngine::driverCallback, this);
        if (m_driver)
            return true;
    }
    return false;
}

int SynthEngine::driverCallback(void *engine, int frames, int, float *[], int nout, float *out[])
{
    if (nout < 2)
        return FLUID_FAILED;
    static_cast<SynthEngine *>(engine)->render(out[0], out[1], frames);
    return FLUID_OK;
}

bool SynthEngine::render(float *left, float *right, int frames)
{
    std::lock_guard lock(m_lock);
    if (m_sequencer.render(left, right, frames) && m_onEnd)
        m_onEnd();
    m_firstSound.observe(left, right, frames);
    return m_sequencer.isPlaying() || fluid_synth_get_active_voice_count(m_synth.synth()) > 0;
}

bool SynthEngine::claim(const void *owner, std::shared_ptr<const MidiFile> song, EndHandler onEnd)
{
    std::lock_guard lock(m_lock);
    if (m_owner && m_owner != owner)
        return false;
    m_owner = owner;
    m_onEnd = std::move(onEnd);
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
        m_sequencer.play();
    }
    if (m_silentClock)
        m_silentClock->wake();
}

void SynthEngine::stop(const void *owner)
{
    std::lock_guard lock(m_lock);
    if (m_owner == owner)
        m_sequencer.stop();
}

int SynthEngine::positionMs(const void *owner) const
{
    std::lock_guard lock(m_lock);
    return m_owner == owner ? m_sequencer.positionMs() : 0;
}
