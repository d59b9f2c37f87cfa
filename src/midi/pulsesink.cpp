#include "midi/pulsesink.h"

#include <QDeadlineTimer>

#include <algorithm>

namespace {

constexpr int loopSliceUs = 50000;

// The program as the sound server lists it.
pa_proplist *programProperties()
{
    pa_proplist *properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Quavelo");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, "quavelo");
    pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "music");
    return properties;
}

} // namespace

PulseSink::PulseSink(int sampleRate, const std::atomic<bool> &cancelled)
    : m_spec{PA_SAMPLE_FLOAT32NE, std::uint32_t(sampleRate), 2}, m_cancelled(cancelled)
{
}

std::unique_ptr<PulseSink> PulseSink::open(int sampleRate, const std::atomic<bool> &cancelled, Refusal &refusal)
{
    std::unique_ptr<PulseSink> sink(new PulseSink(sampleRate, cancelled));
    if (sink->connect())
        return sink;
    const int error = sink->m_context ? pa_context_errno(sink->m_context) : PA_OK;
    refusal = {sink->failure(), error == PA_ERR_CONNECTIONREFUSED || error == PA_ERR_INVALIDSERVER};
    return nullptr;
}

PulseSink::~PulseSink()
{
    if (m_stream) {
        pa_stream_disconnect(m_stream);
        pa_stream_unref(m_stream);
    }
    if (m_context) {
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
    }
    if (m_loop)
        pa_mainloop_free(m_loop);
}

bool PulseSink::connect()
{
    m_loop = pa_mainloop_new();
    if (!m_loop)
        return fail(QStringLiteral("no main loop"));
    pa_proplist *properties = programProperties();
    m_context = pa_context_new_with_proplist(pa_mainloop_get_api(m_loop), "Quavelo", properties);
    if (m_context && pa_context_connect(m_context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) >= 0
        && runUntil([this] { return pa_context_get_state(m_context) == PA_CONTEXT_READY; }, stallMs)) {
        m_stream = pa_stream_new_with_proplist(m_context, "Quavelo", &m_spec, nullptr, properties);
    }
    pa_proplist_free(properties);
    if (!m_stream)
        return fail(m_context ? serverError() : QStringLiteral("no client context"));

    const auto bytes = [this](int ms) { return std::uint32_t(pa_usec_to_bytes(pa_usec_t(ms) * 1000, &m_spec)); };
    pa_buffer_attr buffer;
    buffer.maxlength = std::uint32_t(-1);
    buffer.tlength = bytes(latencyMs);
    buffer.prebuf = std::uint32_t(-1);
    buffer.minreq = bytes(latencyMs / 4);
    buffer.fragsize = std::uint32_t(-1);
    const auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_AUTO_TIMING_UPDATE
                                         | PA_STREAM_INTERPOLATE_TIMING);
    if (pa_stream_connect_playback(m_stream, nullptr, &buffer, flags, nullptr, nullptr) < 0)
        return fail(serverError());
    return runUntil([this] { return pa_stream_get_state(m_stream) == PA_STREAM_READY; }, stallMs);
}

bool PulseSink::healthy() const
{
    return PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context))
        && (!m_stream || PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream)));
}

bool PulseSink::fail(const QString &reason)
{
    if (m_failure.isEmpty())
        m_failure = reason;
    return false;
}

QString PulseSink::serverError() const
{
    return QString::fromUtf8(pa_strerror(pa_context_errno(m_context)));
}

bool PulseSink::runUntil(const std::function<bool()> &done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (!healthy())
            return fail(serverError());
        if (m_cancelled)
            return fail(QStringLiteral("cancelled"));
        if (deadline.hasExpired())
            return fail(QStringLiteral("the sound server gives no answer"));
        if (pa_mainloop_prepare(m_loop, loopSliceUs) < 0 || pa_mainloop_poll(m_loop) < 0
            || pa_mainloop_dispatch(m_loop) < 0)
            return fail(QStringLiteral("the client main loop failed"));
    }
    return true;
}

bool PulseSink::write(const float *left, const float *right, int frames)
{
    if (!m_failure.isEmpty())
        return false;
    const char *data = reinterpret_cast<const char *>(interleave(left, right, frames));
    const std::size_t frameBytes = pa_frame_size(&m_spec);
    std::size_t remaining = std::size_t(frames) * frameBytes;
    const auto room = [this, frameBytes] {
        const std::size_t bytes = pa_stream_writable_size(m_stream);
        return bytes == std::size_t(-1) ? 0 : bytes - bytes % frameBytes;
    };
    while (remaining > 0) {
        // Takes in what the server sent meanwhile: its requests, timing and errors.
        pa_mainloop_iterate(m_loop, 0, nullptr);
        if (!runUntil([&room] { return room() > 0; }, stallMs))
            return false;
        const std::size_t bytes = std::min(room(), remaining);
        if (pa_stream_write(m_stream, data, bytes, nullptr, 0, PA_SEEK_RELATIVE) < 0)
            return fail(serverError());
        data += bytes;
        remaining -= bytes;
    }
    return true;
}

int PulseSink::queuedFrames()
{
    pa_usec_t latency = 0;
    int negative = 0;
    if (!m_failure.isEmpty() || pa_stream_get_latency(m_stream, &latency, &negative) < 0 || negative)
        return 0;
    return int(latency * m_spec.rate / 1000000);
}

void PulseSink::drain()
{
    if (!m_failure.isEmpty())
        return;
    pa_operation *draining = pa_stream_drain(m_stream, nullptr, nullptr);
    if (!draining)
        return;
    runUntil([draining] { return pa_operation_get_state(draining) != PA_OPERATION_RUNNING; },
             latencyMs + stallMs);
    pa_operation_unref(draining);
}
