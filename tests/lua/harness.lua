-- A small test harness for scripts run by varko. Checks never stop the
-- script; finish() prints the closing line the runner looks for.
local passed, failed = 0, 0

local function report(ok, what, detail)
  if ok then
    passed = passed + 1
  else
    failed = failed + 1
    print("FAIL: " .. tostring(what) .. (detail and (": " .. detail) or ""))
  end
end

function check(condition, what)
  report(condition and true or false, what)
end

function check_eq(actual, expected, what)
  report(actual == expected, what,
         "got " .. tostring(actual) .. ", expected " .. tostring(expected))
end

function check_near(actual, expected, tolerance, what)
  local ok = type(actual) == "number" and math.abs(actual - expected) <= tolerance
  report(ok, what, "got " .. tostring(actual) .. ", expected " .. tostring(expected))
end

-- fn must raise exactly this message.
function check_error(fn, expected, what)
  local ok, message = pcall(fn)
  if ok then
    report(false, what or expected, "no error raised")
  else
    report(message == expected, what or expected, "raised " .. tostring(message))
  end
end

-- Runs each case {name, fn, message} of a table through check_error.
function check_errors(cases)
  for _, case in ipairs(cases) do
    check_error(case[2], case[3], case[1])
  end
end

function finish()
  print(string.format("lua: %d passed, %d failed", passed, failed))
end
