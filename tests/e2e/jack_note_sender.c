/* A small JACK client for the recording test. It has a MIDI output port
 * ("out") that plays a schedule of notes into the program's input, and a
 * MIDI input port ("in") that hears the program's output. The schedule
 * starts at the first metronome click it hears (status 0x99), so its notes
 * fall on known ticks of the recording: 250 frames a tick at 120.0 beats per
 * minute and 48 kHz. Everything heard is printed at the end as
 * "<frames since the click> <hex bytes>".
 *
 * usage: jack_note_sender TICK:NOTE:VELOCITY:LENGTH ...  (ends on SIGTERM) */
#include <jack/jack.h>
#include <jack/midiport.h>
#include <signal.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#define MAX_NOTES 64
#define MAX_HEARD 4096
#define FRAMES_PER_TICK 250

struct Msg {
    long long frame; /* since the click */
    unsigned char bytes[3];
    int length;
};

static jack_client_t* client;
static jack_port_t* outPort;
static jack_port_t* inPort;
static struct Msg plan[2 * MAX_NOTES];
static int planCount;
static int planNext;
static struct Msg heard[MAX_HEARD];
static atomic_int heardCount;
static long long clickFrame = -1; /* absolute frame of the first click */
static volatile sig_atomic_t stopFlag;

static void onSignal(int sig) {
    (void)sig;
    stopFlag = 1;
}

static int process(jack_nframes_t nframes, void* arg) {
    (void)arg;
    jack_nframes_t base = jack_last_frame_time(client);
    void* in = jack_port_get_buffer(inPort, nframes);
    void* out = jack_port_get_buffer(outPort, nframes);
    jack_midi_clear_buffer(out);
    jack_nframes_t n = jack_midi_get_event_count(in);
    for (jack_nframes_t i = 0; i < n; ++i) {
        jack_midi_event_t ev;
        if (jack_midi_event_get(&ev, in, i) != 0 || ev.size == 0) continue;
        long long at = (long long)base + ev.time;
        if (clickFrame < 0 && ev.size == 3 && ev.buffer[0] == 0x99 && ev.buffer[2] != 0) clickFrame = at;
        int k = atomic_load_explicit(&heardCount, memory_order_relaxed);
        if (k < MAX_HEARD && clickFrame >= 0) {
            heard[k].frame = at - clickFrame;
            heard[k].length = ev.size < 3 ? (int)ev.size : 3;
            memcpy(heard[k].bytes, ev.buffer, (size_t)heard[k].length);
            atomic_store_explicit(&heardCount, k + 1, memory_order_release);
        }
    }
    if (clickFrame < 0) return 0;
    while (planNext < planCount) {
        long long due = clickFrame + plan[planNext].frame;
        long long offset = due - (long long)base;
        if (offset >= (long long)nframes) break;
        if (offset < 0) offset = 0;
        jack_midi_event_write(out, (jack_nframes_t)offset, plan[planNext].bytes, 3);
        ++planNext;
    }
    return 0;
}

static int byFrame(const void* a, const void* b) {
    long long x = ((const struct Msg*)a)->frame, y = ((const struct Msg*)b)->frame;
    return x < y ? -1 : x > y;
}

int main(int argc, char** argv) {
    for (int i = 1; i < argc && planCount + 2 <= 2 * MAX_NOTES; ++i) {
        int tick, note, velocity, length;
        if (sscanf(argv[i], "%d:%d:%d:%d", &tick, &note, &velocity, &length) != 4) {
            fprintf(stderr, "bad schedule entry '%s'\n", argv[i]);
            return 2;
        }
        plan[planCount++] = (struct Msg){(long long)tick * FRAMES_PER_TICK, {0x90, note, velocity}, 3};
        plan[planCount++] = (struct Msg){(long long)(tick + length) * FRAMES_PER_TICK, {0x80, note, 0}, 3};
    }
    qsort(plan, (size_t)planCount, sizeof plan[0], byFrame);
    signal(SIGTERM, onSignal);
    signal(SIGINT, onSignal);
    client = jack_client_open("qz-sender", JackNoStartServer, NULL);
    if (!client) {
        fprintf(stderr, "no JACK server\n");
        return 1;
    }
    if (jack_get_sample_rate(client) != 48000) fprintf(stderr, "warning: the tick timing assumes 48 kHz\n");
    outPort = jack_port_register(client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    inPort = jack_port_register(client, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    if (!outPort || !inPort || jack_set_process_callback(client, process, NULL) != 0 || jack_activate(client) != 0) {
        fprintf(stderr, "cannot set up the JACK client\n");
        return 1;
    }
    while (!stopFlag) usleep(10000);
    jack_deactivate(client);
    int k = atomic_load_explicit(&heardCount, memory_order_acquire);
    for (int i = 0; i < k; ++i) {
        printf("%lld", heard[i].frame);
        for (int b = 0; b < heard[i].length; ++b) printf(" %02X", heard[i].bytes[b]);
        printf("\n");
    }
    printf("sent %d of %d\n", planNext, planCount);
    jack_client_close(client);
    return 0;
}
