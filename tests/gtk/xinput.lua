-- Real X input for the GTK tests: xdotool commands and a step runner that
-- performs one action at a time from the idle function and waits (bounded)
-- for what it should cause.
xinput = {}

function xinput.run(command)
  return os.execute("timeout 10 xdotool " .. command .. " >/dev/null 2>&1")
end

-- The X window of a shown dialog, by its title.
function xinput.window(title)
  local pipe = io.popen("timeout 10 xdotool search --sync --onlyvisible --name '^" .. title .. "$' 2>/dev/null")
  local id = pipe:read("l")
  pipe:close()
  return id
end

function xinput.click(window, x, y, extra)
  return xinput.run(string.format("mousemove --window %s %d %d click %s1", window, x, y, extra or ""))
end

-- A step's done function that lets the main loop run for the given seconds
-- (whole seconds of the clock, so between them and one more) first.
function xinput.after(seconds)
  local waited_from
  return function()
    waited_from = waited_from or os.time()
    if os.time() - waited_from >= seconds then
      waited_from = nil
      return true
    end
    return false
  end
end

-- steps: list of { action = function, done = function -> bool, what = text,
-- retry = seconds, timeout = seconds (8 by default) }. Each action runs once
-- the previous step is done (or timed out, which fails it), again every retry
-- seconds while its effect has not come if retry is given; then on_end runs.
function xinput.steps(steps, on_end)
  local index, started, acted = 0, 0, 0
  local function advance()
    index = index + 1
    local step = steps[index]
    if step == nil then
      IupSetIdle(nil)
      on_end()
      -- the script expects the loop to end now; if a lost X event keeps a
      -- dialog up, fail and end the loop instead of hanging the test
      local ended = os.time()
      IupSetIdle(function()
        if os.time() - ended <= 5 then return IUP_DEFAULT end
        check(false, "the main loop did not end after the last step")
        return IUP_CLOSE
      end)
      return
    end
    started = os.time()
    acted = started
    if step.action then step.action() end
  end
  local running = false
  local function tick()
    local step = steps[index]
    if index == 0 or step.done == nil or step.done() then
      advance()
    elseif os.time() - started > (step.timeout or 8) then
      check(false, "timed out: " .. (step.what or ("step " .. index)))
      advance()
    elseif step.retry and os.time() - acted >= step.retry then
      -- a key the window manager handles can be lost while focus moves
      acted = os.time()
      step.action()
    end
  end
  IupSetIdle(function()
    -- a step's action may show a progress dialog, whose loop steps call the
    -- idle function again: the steps go on only from the main loop
    if running then return IUP_DEFAULT end
    running = true
    local ok, problem = pcall(tick)
    running = false
    if not ok then error(problem, 0) end
    return IUP_DEFAULT
  end)
end
