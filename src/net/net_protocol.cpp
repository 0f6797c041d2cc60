#include "net/net_protocol.h"

#include <cstring>
#include <string>

#include "app/game_state.h"
#include "replay/replay_format.h"

namespace {

// Appends little-endian fields to a fixed buffer; `ok` turns false for good
// when one does not fit.
struct TWriter {
  uint8_t* out;
  size_t capacity;
  size_t at = 0;
  bool ok = true;

  void Bytes(const void* data, size_t n) {
    if (!ok || capacity - at < n) {
      ok = false;
      return;
    }
    std::memcpy(out + at, data, n);
    at += n;
  }
  template <typename T>
  void Int(T v) {
    uint8_t b[sizeof(T)];
    for (size_t k = 0; k < sizeof(T); k++)
      b[k] = static_cast<uint8_t>(static_cast<uint64_t>(v) >> (8 * k));
    Bytes(b, sizeof b);
  }
  void Text(const char* s, size_t field) {  // a length byte, then the bytes
    const size_t n = strnlen(s, field - 1);
    Int<uint8_t>(static_cast<uint8_t>(n));
    Bytes(s, n);
  }
  size_t Done() const { return ok ? at : 0; }
};

// Reads what TWriter wrote; `ok` turns false for good at the first field that
// is not there.
struct TReader {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  bool ok = true;

  bool Bytes(void* into, size_t n) {
    if (!ok || size - at < n) return ok = false;
    std::memcpy(into, data + at, n);
    at += n;
    return true;
  }
  template <typename T>
  T Int() {
    uint8_t b[sizeof(T)] = {};
    Bytes(b, sizeof b);
    uint64_t v = 0;
    for (size_t k = 0; k < sizeof(T); k++) v |= static_cast<uint64_t>(b[k]) << (8 * k);
    return static_cast<T>(v);
  }
  void Text(char* into, size_t field) {  // always NUL-terminated
    const uint8_t n = Int<uint8_t>();
    if (n >= field) {
      ok = false;
      into[0] = '\0';
      return;
    }
    Bytes(into, n);
    into[ok ? n : 0] = '\0';
  }
  bool AtEnd() const { return ok && at == size; }
};

// ---- the game state, field by field in the state list's order ----

void Put(TWriter& w, bool v) {
  w.Int<uint8_t>(v ? 1 : 0);
}
void Put(TWriter& w, uint8_t v) {
  w.Int(v);
}
void Put(TWriter& w, int32_t v) {
  w.Int(v);
}
void Put(TWriter& w, uint32_t v) {
  w.Int(v);
}
void Put(TWriter& w, uint64_t v) {
  w.Int(v);
}
void Put(TWriter& w, const TMt19937& mt) {
  for (int k = 0; k < TMt19937::kN; k++) w.Int(mt.Words()[k]);
  w.Int<int32_t>(mt.Position());
}
// The board, piece and effect arrays are plain 32-bit integers throughout.
template <typename T>
void PutInts(TWriter& w, const T& array) {
  static_assert(sizeof(T) % 4 == 0);
  int32_t v[sizeof(T) / 4];
  std::memcpy(v, &array, sizeof v);
  for (int32_t x : v) w.Int(x);
}

void Get(TReader& r, bool& v) {
  const uint8_t b = r.Int<uint8_t>();
  if (b > 1) r.ok = false;
  v = b == 1;
}
void Get(TReader& r, uint8_t& v) {
  v = r.Int<uint8_t>();
}
void Get(TReader& r, int32_t& v) {
  v = r.Int<int32_t>();
}
void Get(TReader& r, uint32_t& v) {
  v = r.Int<uint32_t>();
}
void Get(TReader& r, uint64_t& v) {
  v = r.Int<uint64_t>();
}
void Get(TReader& r, TMt19937& mt) {
  uint32_t words[TMt19937::kN];
  for (int k = 0; k < TMt19937::kN; k++) words[k] = r.Int<uint32_t>();
  const int32_t position = r.Int<int32_t>();
  if (r.ok && !mt.SetState(words, position)) r.ok = false;
}
template <typename T>
void GetInts(TReader& r, T& array) {
  int32_t v[sizeof(T) / 4];
  for (int32_t& x : v) x = r.Int<int32_t>();
  std::memcpy(&array, v, sizeof v);
}

void PutState(TWriter& w, const TGameState& s) {
#define ZAZO_PUT_FIELD(type, name, dumped) Put(w, s.name);
#define ZAZO_PUT_ARRAY(type, name, dims) PutInts(w, s.name);
  ZAZO_GAME_SCALARS(ZAZO_PUT_FIELD)
  ZAZO_GAME_ARRAYS(ZAZO_PUT_ARRAY)
#undef ZAZO_PUT_FIELD
#undef ZAZO_PUT_ARRAY
}

void GetState(TReader& r, TGameState& s) {
#define ZAZO_GET_FIELD(type, name, dumped) Get(r, s.name);
#define ZAZO_GET_ARRAY(type, name, dims) GetInts(r, s.name);
  ZAZO_GAME_SCALARS(ZAZO_GET_FIELD)
  ZAZO_GAME_ARRAYS(ZAZO_GET_ARRAY)
#undef ZAZO_GET_FIELD
#undef ZAZO_GET_ARRAY
}

void Kind(TWriter& w, TMessageKind k) {
  w.Int(static_cast<uint8_t>(k));
}

}  // namespace

size_t EncodeHello(const THello& m, uint8_t* out, size_t capacity) {
  TWriter w{out, capacity};
  Kind(w, TMessageKind::kHello);
  w.Text(m.version, sizeof m.version);
  w.Int(m.protocol);
  w.Int(static_cast<uint8_t>(m.role));
  w.Text(m.name, sizeof m.name);
  return w.Done();
}

size_t EncodeStart(const TMatchSettings& s, const TGameState& state, uint8_t* out,
                   size_t capacity) {
  TWriter w{out, capacity};
  Kind(w, TMessageKind::kStart);
  w.Int(s.matchNumber);
  w.Int(s.inputDelay);
  w.Int(s.firstClock);
  w.Int(s.musicResults);
  w.Bytes(s.localTime, 14);
  PutState(w, state);
  return w.Done();
}

size_t StartMessageSize() {
  static size_t size = 0;
  if (size == 0) {
    static TGameState probe;
    static uint8_t scratch[kStartSizeBound];
    size = EncodeStart(TMatchSettings{}, probe, scratch, sizeof scratch);
  }
  return size;
}

size_t EncodeInputs(const TTickInputs& m, uint8_t* out, size_t capacity) {
  if (m.count > kMaxTickInputs) return 0;
  TWriter w{out, capacity};
  Kind(w, TMessageKind::kInputs);
  w.Int(m.tick);
  w.Int(m.side);
  w.Int(m.clock);
  w.Int(m.count);
  for (int k = 0; k < m.count; k++) {
    const TMatchInput& in = m.inputs[k];
    w.Int(static_cast<uint8_t>(in.kind));
    w.Int(in.alt);
    w.Int(in.button);
    w.Int(in.key);
    w.Int(in.x);
    w.Int(in.y);
  }
  return w.Done();
}

size_t EncodeHash(const TStateHash& m, uint8_t* out, size_t capacity) {
  TWriter w{out, capacity};
  Kind(w, TMessageKind::kHash);
  w.Int(m.tick);
  w.Int(m.hash);
  return w.Done();
}

size_t EncodePause(const TPauseMessage& m, uint8_t* out, size_t capacity) {
  TWriter w{out, capacity};
  Kind(w, TMessageKind::kPause);
  w.Int(m.side);
  w.Int(m.paused);
  return w.Done();
}

size_t EncodeLeave(const TLeaveMessage& m, uint8_t* out, size_t capacity) {
  TWriter w{out, capacity};
  Kind(w, TMessageKind::kLeave);
  w.Int(m.side);
  w.Int(static_cast<uint8_t>(m.reason));
  w.Int(m.endTick);
  return w.Done();
}

size_t EncodeRematch(const TRematchMessage& m, uint8_t* out, size_t capacity) {
  TWriter w{out, capacity};
  Kind(w, TMessageKind::kRematch);
  w.Int(m.side);
  return w.Done();
}

size_t EncodeKeepAlive(uint8_t* out, size_t capacity) {
  TWriter w{out, capacity};
  Kind(w, TMessageKind::kKeepAlive);
  return w.Done();
}

size_t EncodeState(const TGameState& state, uint8_t* out, size_t capacity) {
  TWriter w{out, capacity};
  PutState(w, state);
  return w.Done();
}

bool PeekKind(const uint8_t* data, size_t size, TMessageKind* kind) {
  if (size == 0) return false;
  *kind = static_cast<TMessageKind>(data[0]);
  return true;
}

bool DecodeMessage(const uint8_t* data, size_t size, TMessage* out, const char** error) {
  auto fail = [&](const char* why) {
    *error = why;
    return false;
  };
  if (size == 0) return fail("an empty message");
  if (size > kMaxMessageBytes) return fail("a message over the size limit");
  TReader r{data, size};
  out->kind = static_cast<TMessageKind>(r.Int<uint8_t>());
  bool sideOk = true;
  switch (out->kind) {
    case TMessageKind::kHello: {
      THello& m = out->hello;
      r.Text(m.version, sizeof m.version);
      m.protocol = r.Int<uint8_t>();
      const uint8_t role = r.Int<uint8_t>();
      if (role > 1) return fail("a hello with an unknown role");
      m.role = static_cast<TRole>(role);
      r.Text(m.name, sizeof m.name);
      break;
    }
    case TMessageKind::kInputs: {
      TTickInputs& m = out->inputs;
      m.tick = r.Int<uint32_t>();
      m.side = r.Int<uint8_t>();
      m.clock = r.Int<uint32_t>();
      m.count = r.Int<uint8_t>();
      sideOk = m.side < kMatchSides;
      if (m.count > kMaxTickInputs) return fail("too many inputs for one tick");
      for (int k = 0; k < m.count; k++) {
        TMatchInput& in = m.inputs[k];
        const uint8_t kind = r.Int<uint8_t>();
        if (kind > TMatchInput::kClick) return fail("an input of an unknown kind");
        in.kind = static_cast<TMatchInput::TKind>(kind);
        in.alt = r.Int<uint8_t>();
        in.button = r.Int<uint8_t>();
        in.key = r.Int<uint16_t>();
        in.x = r.Int<int16_t>();
        in.y = r.Int<int16_t>();
        if (in.alt > 1 || in.button > 2) return fail("an input with a bad modifier or button");
      }
      break;
    }
    case TMessageKind::kHash:
      out->hash.tick = r.Int<uint32_t>();
      out->hash.hash = r.Int<uint64_t>();
      break;
    case TMessageKind::kPause:
      out->pause.side = r.Int<uint8_t>();
      out->pause.paused = r.Int<uint8_t>();
      sideOk = out->pause.side < kMatchSides && out->pause.paused <= 1;
      break;
    case TMessageKind::kLeave: {
      out->leave.side = r.Int<uint8_t>();
      const uint8_t reason = r.Int<uint8_t>();
      if (reason > static_cast<uint8_t>(TLeaveReason::kNoMatch))
        return fail("an unknown leave reason");
      out->leave.reason = static_cast<TLeaveReason>(reason);
      out->leave.endTick = r.Int<uint32_t>();
      sideOk = out->leave.side < kMatchSides;
      break;
    }
    case TMessageKind::kRematch:
      out->rematch.side = r.Int<uint8_t>();
      sideOk = out->rematch.side < kMatchSides;
      break;
    case TMessageKind::kKeepAlive:
      break;
    case TMessageKind::kStart:
      return fail("a start message (decoded on its own)");
    default:
      return fail("a message of an unknown kind");
  }
  if (!r.ok) return fail("a message cut short");
  if (!r.AtEnd()) return fail("a message with bytes left over");
  if (!sideOk) return fail("a message for a side that does not exist");
  return true;
}

bool DecodeStart(const uint8_t* data, size_t size, TMatchSettings* s, TGameState* state,
                 const char** error) {
  auto fail = [&](const char* why) {
    *error = why;
    return false;
  };
  if (size != StartMessageSize()) return fail("a start message of the wrong size");
  TReader r{data, size};
  if (r.Int<uint8_t>() != static_cast<uint8_t>(TMessageKind::kStart))
    return fail("not a start message");
  s->matchNumber = r.Int<uint32_t>();
  s->inputDelay = r.Int<uint16_t>();
  s->firstClock = r.Int<uint32_t>();
  s->musicResults = r.Int<uint32_t>();
  r.Bytes(s->localTime, 14);
  s->localTime[14] = '\0';
  for (int k = 0; k < 14; k++) {
    if (s->localTime[k] < '0' || s->localTime[k] > '9')
      return fail("a start with a bad local time");
  }
  if (s->inputDelay > kMaxInputDelay) return fail("a start with an input delay out of range");
  GetState(r, *state);
  if (!r.AtEnd()) return fail("a start message with a bad field");
  std::string why;
  if (!CheckStartState(*state, &why)) return fail("a start whose game state cannot begin a game");
  if (state->versusMode != 1 || state->side2Auto != 0)
    return fail("a start that is not a two-person versus game");
  return true;
}
