// A session manager of the X Session Management Protocol, as desktops run one, for
// the tests' one client. It prints "SESSION_MANAGER=<ids>" for the client's
// environment, then a line for each step: "registered" when the client has
// registered, and after a line "end" on its standard input (a logout), "saved"
// when the client has done what a SaveYourself for shutdown asks, then "closed"
// when the client, told to die, has gone.
//
// Clients are let in without authentication: the test runs them as its own user.

#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

SmsConn client = nullptr;
std::vector<IceConn> connections;
bool clientGone = false;

void Say(const char* step) {
  std::printf("%s\n", step);
  std::fflush(stdout);
}

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "tovira_session_manager: %s\n", what);
  std::exit(1);
}

Bool AnyHost(char*) { return True; }

Status RegisterClient(SmsConn connection, SmPointer, char* previousId) {
  std::free(previousId);
  char* id = SmsGenerateClientID(connection);
  const Status accepted = SmsRegisterClientReply(connection, id);
  std::free(id);
  Say("registered");
  return accepted;
}

void InteractRequest(SmsConn connection, SmPointer, int) { SmsInteract(connection); }
void InteractDone(SmsConn, SmPointer, Bool) {}
void SaveYourselfRequest(SmsConn, SmPointer, int, Bool, int, Bool, Bool) {}
void SaveYourselfPhase2Request(SmsConn connection, SmPointer) { SmsSaveYourselfPhase2(connection); }

void SaveYourselfDone(SmsConn connection, SmPointer, Bool) {
  Say("saved");
  SmsDie(connection);
}

void CloseConnection(SmsConn connection, SmPointer, int count, char** reasons) {
  SmFreeReasons(count, reasons);
  IceConn ice = SmsGetIceConnection(connection);
  SmsCleanUp(connection);
  IceSetShutdownNegotiation(ice, False);
  IceCloseConnection(ice);
  std::erase(connections, ice);
  client = nullptr;
  clientGone = true;
}

void SetProperties(SmsConn, SmPointer, int count, SmProp** properties) {
  for (int i = 0; i < count; ++i) SmFreeProperty(properties[i]);
  std::free(properties);
}

void DeleteProperties(SmsConn, SmPointer, int count, char** names) {
  for (int i = 0; i < count; ++i) std::free(names[i]);
  std::free(names);
}

void GetProperties(SmsConn connection, SmPointer) { SmsReturnProperties(connection, 0, nullptr); }

Status NewClient(SmsConn connection, SmPointer, unsigned long* mask, SmsCallbacks* callbacks, char**) {
  client = connection;
  *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
          SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask | SmsSaveYourselfDoneProcMask |
          SmsCloseConnectionProcMask | SmsSetPropertiesProcMask | SmsDeletePropertiesProcMask |
          SmsGetPropertiesProcMask;
  callbacks->register_client.callback = RegisterClient;
  callbacks->interact_request.callback = InteractRequest;
  callbacks->interact_done.callback = InteractDone;
  callbacks->save_yourself_request.callback = SaveYourselfRequest;
  callbacks->save_yourself_phase2_request.callback = SaveYourselfPhase2Request;
  callbacks->save_yourself_done.callback = SaveYourselfDone;
  callbacks->close_connection.callback = CloseConnection;
  callbacks->set_properties.callback = SetProperties;
  callbacks->delete_properties.callback = DeleteProperties;
  callbacks->get_properties.callback = GetProperties;
  return 1;
}

// A connection that breaks is dropped, never the manager with it.
void IgnoreIoError(IceConn) {}

}  // namespace

int main() {
  IceSetIOErrorHandler(IgnoreIoError);
  char error[256] = "";
  if (!SmsInitialize("tovira", "1", NewClient, nullptr, AnyHost, sizeof error, error)) Fail(error);
  int listenerCount = 0;
  IceListenObj* listeners = nullptr;
  if (!IceListenForConnections(&listenerCount, &listeners, sizeof error, error)) Fail(error);
  for (int i = 0; i < listenerCount; ++i) IceSetHostBasedAuthProc(listeners[i], AnyHost);
  char* ids = IceComposeNetworkIdList(listenerCount, listeners);
  std::printf("SESSION_MANAGER=%s\n", ids);
  std::fflush(stdout);
  std::free(ids);

  bool inputOpen = true;
  while (!clientGone) {
    std::vector<pollfd> watched;
    if (inputOpen) watched.push_back({STDIN_FILENO, POLLIN, 0});
    for (int i = 0; i < listenerCount; ++i) watched.push_back({IceGetListenConnectionNumber(listeners[i]), POLLIN, 0});
    const std::vector<IceConn> open = connections;  // messages may close some
    for (IceConn connection : open) watched.push_back({IceConnectionNumber(connection), POLLIN, 0});
    if (poll(watched.data(), watched.size(), -1) < 0) Fail("poll");
    std::size_t at = 0;
    if (inputOpen && watched[at++].revents != 0) {
      char line[64] = "";
      if (std::fgets(line, sizeof line, stdin) == nullptr) {
        inputOpen = false;
      } else if (std::strncmp(line, "end", 3) == 0 && client != nullptr) {
        SmsSaveYourself(client, SmSaveLocal, True, SmInteractStyleNone, False);
      }
    }
    for (int i = 0; i < listenerCount; ++i, ++at) {
      if (watched[at].revents == 0) continue;
      IceAcceptStatus status;
      if (IceConn connection = IceAcceptConnection(listeners[i], &status)) connections.push_back(connection);
    }
    for (std::size_t i = at; i < watched.size(); ++i) {
      IceConn connection = open[i - at];
      if (watched[i].revents == 0 || std::find(connections.begin(), connections.end(), connection) == connections.end()) {
        continue;
      }
      if (IceProcessMessages(connection, nullptr, nullptr) == IceProcessMessagesIOError) {
        IceCloseConnection(connection);
        std::erase(connections, connection);
      }
    }
  }
  Say("closed");
  IceFreeListenObjs(listenerCount, listeners);
  return 0;
}
