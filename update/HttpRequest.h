#pragma once
// The one part of the program that talks to the network: form-encoded POST
// requests to the update service over Qt Network. requestText returns the
// answer as text; requestData streams it, chunk by chunk, into a temporary
// file of its own in the folder (fileio's writer) and gives it its name
// only once it is complete. After every request requestState tells how it
// went.
//
// The requests go through a network access of its own (Qt's
// QNetworkAccessManager, named internetControl). The routines wait inside a
// local event loop, and between the pieces of an answer they let window
// events run through the event pump about every 15 ms, so paints and the
// dialog's progress bars keep running during a transfer. A server that
// does not answer within the connect time-out, stops sending for longer
// than the idle time-out, or sends its answer slower than the minimum rate,
// counts as a transport error: every request ends.

#include <QByteArray>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "seams/EventPump.h"
#include "update/UpdateUtils.h"

class QNetworkAccessManager;
class QNetworkRequest;

namespace update {

inline constexpr const char* kUserAgent = "QornUpdateModule";
inline constexpr const char* kDownloadPath = "/tst/gct/";
inline constexpr int kChunkSize = 8192;

// Values of requestState.
enum RequestState : int16_t {
  kRequestOk = 0,
  kConnectionClosed = 1,  // closed while waiting or fetching, or no content
  kTransportError = 2,    // refused, timed out, not an HTTP success
  kRequestFailure = 3,    // failure inside the routine (a file, a bad header)
};

struct HttpTimeouts {
  std::chrono::milliseconds connect{15000};  // until the answer's headers arrive
  std::chrono::milliseconds idle{30000};     // between two pieces of the body
  // The minimum rate: in every rateWindow spent waiting for the body, at
  // least rateMinBytes of it must arrive. A server that trickles a byte now
  // and then keeps the idle time-out from firing, but not this.
  std::chrono::milliseconds rateWindow{30000};
  int64_t rateMinBytes = 1024;
};

class HttpRequest {
 public:
  // host is "name" or "name:port"; events: lets window events run during
  // a transfer.
  HttpRequest(std::string host, seams::EventPump& events);
  // Closes the connections it keeps open for the next request.
  ~HttpRequest();
  HttpRequest(const HttpRequest&) = delete;
  HttpRequest& operator=(const HttpRequest&) = delete;

  void SetTimeouts(HttpTimeouts timeouts) { timeouts_ = timeouts; }

  // POST body to the server root; the answer, or what came of it before a
  // failure. An answer longer than kMaxTextAnswer is a transport error.
  std::string requestText(const std::string& body);
  // POST body to the download path; the answer becomes folder + "/" +
  // fileName. Always returns empty text.
  std::string requestData(const std::string& body, const std::string& folder,
                          const std::string& fileName);
  int16_t requestState() const { return requestState_; }
  // Why the last request failed, in words for the user ("Connection
  // refused", "no answer within 15 s", "the server answered HTTP 404 Not
  // Found"); empty after a success.
  const std::string& ErrorText() const { return errorText_; }
  // Whether a failure inside the routine (kRequestFailure) lay with the
  // server's answer, a Content-Length that is not one whole number, rather
  // than with this computer (a file that could not be written).
  bool AnswerUnusable() const { return answerUnusable_; }

  const std::string& Host() const { return host_; }
  // "Host:...", "User-Agent:...", "Connection:keep-alive",
  // "Content-Type:..." joined by CR LF, built once.
  const std::string& RequestHeaders() const { return headers_; }

  // Raised during requestData after each received chunk with the percent
  // of the announced length.
  std::function<void(int16_t percent)> OnProgress;

 private:
  class Transfer;
  QNetworkRequest MakeRequest(const std::string& path) const;
  std::string FetchText(const std::string& body);
  void FetchData(const std::string& body, const std::string& folder, const std::string& fileName);
  // Made at the first request, when the program's application object
  // surely exists.
  QNetworkAccessManager& InternetControl();

  std::string host_;
  std::string headers_;
  HttpTimeouts timeouts_;
  std::unique_ptr<QNetworkAccessManager> internetControl_;
  seams::EventPacer events_;
  int16_t requestState_ = kRequestOk;
  std::string errorText_;
  bool answerUnusable_ = false;
};

}  // namespace update
