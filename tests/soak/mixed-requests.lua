-- wrk script of the soak (see inside-root): each thread sends requests over its one
-- connection, the kinds of the TOL Settings dialog in turn, each with a session id of its
-- own from which its answer tells the kind, and checks every answer. A thread that has
-- SOAK_QUOTA answers stops and adds a line to SOAK_DIR/threads-done. done() writes the
-- figures to SOAK_DIR/result and the change marks the answered requests must have left to
-- SOAK_DIR/expected-marks.

local quota = tonumber(os.getenv("SOAK_QUOTA"))
local dir = os.getenv("SOAK_DIR")
local handler = "/zelconf/settolsettings.cgi"
local page = "/zelconf/tolsettings.cgi"
local form = { ["Content-Type"] = "application/x-www-form-urlencoded" }
local session_stride = 10000000

-- Three in ten are valid submissions, which store the settings.
local sequence = { "valid", "invalid", "remove", "valid", "removeyes", "removeno", "valid",
                   "revert", "bare", "page" }
local marking = { valid = true, removeyes = true }

local function kind_of(n)
   return sequence[(n - 1) % #sequence + 1]
end

local threads = {}

function setup(thread)
   table.insert(threads, thread)
   thread:set("index", #threads)
end

-- Each thread's own figures (setup() sets its index).
index, sent, answered, failures, valid, first_failure = 0, 0, 0, 0, 0, ""
marked, seen = {}, {}

local function post(body)
   return wrk.format("POST", handler, form, body)
end

local function build(kind, sid, n)
   local s = "sessionid=" .. sid
   if kind == "valid" then
      return post(s .. "&submit=Save+Changes&outlet=" .. (n % 100) .. "&dealer=" .. (sid % 1000000)
                  .. "&toladdress=10." .. index .. "." .. (n % 250) .. ".1&tolport=" .. (n % 65536)
                  .. "&tolurl=%2Fsoak%2F" .. sid .. "&dns1=10.0.0.1&dns2=")
   elseif kind == "invalid" then
      return post(s .. "&submit=Save+Changes&outlet=123&dealer=42&toladdress=10.0.0.2&tolport=5302"
                  .. "&tolurl=%2Fx&dns1=10.0.0.1&dns2=")
   elseif kind == "remove" then
      return post(s .. "&remove=Remove+Settings")
   elseif kind == "removeyes" then
      return post(s .. "&removeyes=Yes")
   elseif kind == "removeno" then
      return post(s .. "&removeno=No")
   elseif kind == "revert" then
      return post(s .. "&revert=Clear+Changes")
   elseif kind == "bare" then
      return wrk.format("GET", handler .. "?" .. s)
   end
   return wrk.format("GET", page .. "?" .. s)
end

function request()
   sent = sent + 1
   return build(kind_of(sent), index * session_stride + sent, sent)
end

-- The session id a redirect or a page names.
local function answered_session(status, headers, body)
   if status == 302 then return tonumber((headers["Location"] or ""):match("sessionid=(%d+)")) end
   return tonumber(body:match('name="sessionid" value="(%d+)"'))
end

-- Nil when the answer is the one this kind of request gets, else what is wrong.
local function problem(kind, sid, status, headers, body)
   local base = "tolsettings.cgi?sessionid=" .. sid
   local location = headers["Location"] or ""
   if kind == "remove" then
      if status == 200 and body:find('name="removeyes"', 1, true) then return nil end
   elseif kind == "page" then
      if status == 200 and body:find('name="toladdress"', 1, true) then return nil end
   elseif kind == "invalid" then
      local flagged = base .. "&outletwrong=1&outlet=&"
      if status == 302 and location:sub(1, #flagged) == flagged then return nil end
   elseif status == 302 and location == base then
      return nil
   end
   return kind .. " " .. sid .. ": status " .. status .. ", Location " .. location
end

local function judge(status, headers, body)
   local sid = answered_session(status, headers, body)
   if not sid or math.floor(sid / session_stride) ~= index or seen[sid] then
      return "status " .. status .. " for session " .. tostring(sid)
   end
   seen[sid] = true
   local kind = kind_of(sid % session_stride)
   local wrong = problem(kind, sid, status, headers, body)
   if wrong then return wrong end
   if marking[kind] then marked[#marked + 1] = sid end
   if kind == "valid" then valid = valid + 1 end
   return nil
end

function response(status, headers, body)
   answered = answered + 1
   local wrong = judge(status, headers, body)
   if wrong then
      failures = failures + 1
      if first_failure == "" then first_failure = wrong end
   end
   if answered == quota then
      local done_file = io.open(dir .. "/threads-done", "a")
      done_file:write(index, "\n")
      done_file:close()
      wrk.thread:stop()
   end
end

function done(summary, latency, requests)
   local totals = { answered = 0, failures = 0, valid = 0 }
   local first = ""
   local marks = io.open(dir .. "/expected-marks", "w")
   for _, thread in ipairs(threads) do
      for key, _ in pairs(totals) do totals[key] = totals[key] + thread:get(key) end
      if first == "" then first = thread:get("first_failure") end
      for _, sid in ipairs(thread:get("marked")) do marks:write(string.format("%d;1\n", sid)) end
   end
   marks:close()
   local e = summary.errors
   local result = io.open(dir .. "/result", "w")
   result:write(string.format("answered %d\nfailures %d\nvalid %d\nerrors %d\nseconds %.1f\n",
      totals.answered, totals.failures, totals.valid,
      e.connect + e.read + e.write + e.status + e.timeout, summary.duration / 1e6))
   result:write(string.format("latency-ms mean %.1f p99 %.1f max %.1f\n", latency.mean / 1000,
      latency:percentile(99.0) / 1000, latency.max / 1000))
   result:write("first-failure ", first, "\n")
   result:close()
end
