/*
 * tessivo/pvx.h: what a capture plug-in exports.
 *
 * A plug-in is a shared library named "*.pvx" in the plug-in folder. It takes
 * over the capture device whose system name equals its driver name: it puts
 * the device's source and streams into the program's GStreamer pipeline, and
 * may record its own native format to a file.
 *
 * Every function is looked up by name with dlsym and has C linkage and the
 * platform's C calling convention (PI_CALL). A function the library does not
 * export is not called; the host's outputs then keep the values they had
 * before the call (NULL, 0).
 *
 * Types
 * - The instance handle and every integer result slot are pointer-sized
 *   (pi_handle, pi_int). The host passes the address of its handle variable
 *   as the first argument of every instance function.
 * - Strings are zero-terminated UTF-8, the capture file name included. A
 *   name written into a host buffer is cut by the host at the first zero
 *   byte, then to 255 characters.
 * - "graph" is the host's pipeline as a GstBin*. The source filter is a
 *   GstElement*, pins are GstPad*, tees are GstElement*. Native formats and
 *   sourceUpsideDown are single bytes.
 *
 * Who holds what (the host obeys these rules; the plug-in must too)
 * - pi_sourcefilter writes a borrowed pointer: the plug-in keeps its own
 *   reference until pi_destroy; the host takes a reference of its own if it
 *   keeps the element.
 * - pi_setsourcegraph adds the source to `graph` (gst_bin_add, which takes the
 *   plug-in's floating or given reference) and writes a borrowed pointer to
 *   it. pi_killsourcegraph removes it (gst_bin_remove) after setting it to
 *   GST_STATE_NULL.
 * - pi_setvideograph and pi_setaudiograph add their elements to `graph` the
 *   same way. The tee pointers they write are borrowed (the pipeline owns
 *   them). The pad they write is a NEW reference (as gst_element_get_static_pad
 *   or gst_element_request_pad_simple give it): the host releases it with
 *   gst_object_unref. The pads are unlinked: the host links them.
 * - pi_killvideograph and pi_killaudiograph remove what the matching set
 *   function added. They may write a GObject* into `iface`: a new reference
 *   the host releases with g_object_unref.
 * - pi_buildmuxgraph adds its recording branch to `graph`, fed from the video
 *   tee (and audio tee) it made, requesting their pads itself.
 *   pi_killmuxgraph returns only once the file is finished: it sends
 *   end-of-stream into the branch, waits for it to reach the sink, sets the
 *   branch to GST_STATE_NULL, releases the tee pads it requested and removes
 *   the branch. The sample plug-in shows how.
 *
 * The caps contract
 * - The video output pad gives raw video (video/x-raw, any format the host
 *   can convert).
 * - The tees are "tee allow-not-linked=true". The host takes request pads of
 *   its own from them: output 1 for the preview; formats 2 to 5 are built by
 *   the host from further request pads, which must carry DV
 *   (video/x-dv,systemstream=false or true) for format 2, MPEG video
 *   (video/mpeg) for formats 3 and 4, any video for 5.
 * - Native formats are the program's capture format codes: 1 "dv type 1
 *   natif" (recorded by pi_buildmuxgraph), 2 "dv type 2 natif", 3 and 4 the
 *   MPEG formats, 5 "avi natif"; 0 none.
 *
 * Threads: the host calls every function on its user-interface thread. The
 * source and stream functions (pi_set..., pi_kill...graph) and
 * pi_buildmuxgraph at the start of a recording are called with the pipeline
 * stopped. pi_killmuxgraph and pi_repointmux are called while it runs: the
 * end of the stream must flow into the file.
 *
 * Cuts: the host goes on in the next file without stopping the pipeline.
 * With pi_repointmux, the plug-in swaps its file between two frames. Without
 * it (or when it answers 0), the host holds the buffers at the sink pads of
 * both tees, calls pi_killmuxgraph and then pi_buildmuxgraph with the next
 * name while the pipeline runs, brings every element the latter added to the
 * pipeline's state, and lets the held buffers go: they begin the new file.
 *
 * Devices served by a plug-in have no tape transport: no transport exports
 * are defined in this version.
 */
#ifndef TESSIVO_PVX_H
#define TESSIVO_PVX_H

#include <stdint.h>

#include <gst/gst.h>

#define PI_ABI_VERSION 1
/* The size of the buffers the host gives pi_drivername and pi_friendlyname. */
#define PI_NAME_BUFFER_SIZE 65537

#if defined(_WIN32)
#define PI_CALL __cdecl
#define PI_EXPORT __declspec(dllexport)
#else
#define PI_CALL
#define PI_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef intptr_t pi_handle;
typedef intptr_t pi_int;

/* Optional: the version of this header the library was built with. A library
 * answering another version is listed disabled. Without it, version 1. */
typedef pi_int(PI_CALL* pi_abiversion_t)(void);

typedef void(PI_CALL* pi_drivername_t)(char* buffer, pi_int size);
typedef void(PI_CALL* pi_friendlyname_t)(char* buffer, pi_int size);
/* Writes a non-zero handle; 0 means the instance could not be made. */
typedef void(PI_CALL* pi_create_t)(pi_handle* handle);
typedef void(PI_CALL* pi_destroy_t)(pi_handle* handle);
typedef void(PI_CALL* pi_sourcefilter_t)(pi_handle* handle, GstElement** source);
typedef void(PI_CALL* pi_nbfluxvideo_t)(pi_handle* handle, pi_int* count);
typedef void(PI_CALL* pi_nbfluxaudio_t)(pi_handle* handle, pi_int* count);
typedef void(PI_CALL* pi_setsourcegraph_t)(pi_handle* handle, GstElement** source, GstBin* graph);
typedef void(PI_CALL* pi_killsourcegraph_t)(pi_handle* handle, GstBin* graph);
/* `stream` from 1. Writes the raw video pad, the video tee, whether the
 * pictures are bottom-up, and the two native formats. */
typedef void(PI_CALL* pi_setvideograph_t)(pi_handle* handle, pi_int stream, GstPad** videoOutPin, GstBin* graph,
                                          uint8_t* sourceUpsideDown, GstElement** videoTee, uint8_t* nativeFormat2,
                                          uint8_t* nativeFormat1);
/* Writes the audio tee and a free output pad of it (a new reference). The
 * result is not used. */
typedef pi_int(PI_CALL* pi_setaudiograph_t)(pi_handle* handle, pi_int stream, GstPad** audioPin, GstBin* graph,
                                            GstElement** audioTee);
typedef void(PI_CALL* pi_killvideograph_t)(pi_handle* handle, GObject** iface, GstBin* graph);
typedef void(PI_CALL* pi_killaudiograph_t)(pi_handle* handle, GObject** iface, GstBin* graph);
typedef void(PI_CALL* pi_buildmuxgraph_t)(pi_handle* handle, GstBin* graph, const char* fileName);
typedef void(PI_CALL* pi_killmuxgraph_t)(pi_handle* handle, GstBin* graph);
/* Optional: while the pipeline runs, finishes the current file and goes on
 * in `fileName` without losing a frame. Answers 1 when it did, 0 when it
 * could not (the host then finishes the branch with pi_killmuxgraph and
 * builds it again). */
typedef pi_int(PI_CALL* pi_repointmux_t)(pi_handle* handle, GstBin* graph, const char* fileName);

#ifdef __cplusplus
}
#endif

#endif /* TESSIVO_PVX_H */
