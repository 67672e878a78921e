function preventWindowOpen(source, args) {
  // window.open calls whose URL matches do not open anything; the page gets a
  // stand-in back, so pop-up scripts that check the result carry on quietly.
  //
  // Arguments:
  //   match        substring or /regex/flags of the URL, "!" inverting it;
  //                empty matches every call
  //   delay        seconds after which the stand-in window reports itself
  //                closed (empty: it stays "open")
  //   replacement  what the page gets back:
  //                ''/'obj'   a fake window object (close(), focus(), closed,
  //                           location, document.write() ... all inert)
  //                'null'     null, as when a pop-up blocker refused it
  //                'noopFunc' a function doing nothing
  //                'trueFunc' a function returning true
  //                'log'      nothing is prevented: matching calls are only
  //                           logged, to find the URL to write a rule for
  // Any other value leaves window.open alone.
  try {
    const matchPattern = typeof args[0] === 'string' ? args[0] : '';
    const delayText = typeof args[1] === 'string' ? args[1] : '';
    const replacement = typeof args[2] === 'string' ? args[2] : '';

    function makeMatcher(pattern) {
      let text = pattern;
      let invert = false;
      if (text.startsWith('!')) {
        invert = true;
        text = text.slice(1);
      }
      let test;
      const literal = /^\/(.+)\/([dgimsuy]*)$/.exec(text);
      if (text === '') {
        test = () => true;
      } else if (literal) {
        let re;
        try {
          re = new RegExp(literal[1], literal[2].replace('g', ''));
        } catch (e) {
          return null;
        }
        test = (s) => re.test(s);
      } else {
        test = (s) => s.includes(text);
      }
      return (s) => test(String(s)) !== invert;
    }

    const matchesUrl = makeMatcher(matchPattern);
    if (matchesUrl === null) {
      return;
    }
    if (delayText !== '' && !/^\d+$/.test(delayText)) {
      return;
    }
    const closeAfterMs = delayText === '' ? -1 : Number(delayText) * 1000;
    if (!['', 'obj', 'null', 'noopFunc', 'trueFunc', 'log'].includes(replacement)) {
      return;
    }
    const nativeSetTimeout = window.setTimeout.bind(window);
    const noop = function () {};

    function fakeWindow(url) {
      let closed = false;
      const location = {
        href: url,
        assign: noop,
        replace: noop,
        reload: noop,
        toString() {
          return url;
        },
      };
      const fakeDocument = {
        open: noop,
        write: noop,
        writeln: noop,
        close: noop,
        body: null,
        location,
      };
      const fake = {
        get closed() {
          return closed;
        },
        close() {
          closed = true;
        },
        blur: noop,
        focus: noop,
        moveBy: noop,
        moveTo: noop,
        resizeBy: noop,
        resizeTo: noop,
        scrollTo: noop,
        postMessage: noop,
        print: noop,
        stop: noop,
        addEventListener: noop,
        removeEventListener: noop,
        name: '',
        opener: window,
        location,
        document: fakeDocument,
      };
      fake.window = fake;
      fake.self = fake;
      fake.top = fake;
      fake.parent = fake;
      if (closeAfterMs >= 0) {
        nativeSetTimeout(() => {
          closed = true;
        }, closeAfterMs);
      }
      return fake;
    }

    function standIn(url) {
      switch (replacement) {
        case 'null':
          return null;
        case 'noopFunc':
          return noop;
        case 'trueFunc':
          return function () {
            return true;
          };
        default:
          return fakeWindow(url);
      }
    }

    window.open = new Proxy(window.open, {
      apply(target, thisArg, callArgs) {
        try {
          const url = callArgs.length > 0 && callArgs[0] !== undefined ? String(callArgs[0]) : '';
          if (matchesUrl(url)) {
            if (replacement === 'log') {
              console.log(`${source.name}: window.open(${url})`);
            } else {
              if (source.verbose) {
                console.log(`${source.name}: prevented window.open(${url})`);
              }
              return standIn(url);
            }
          }
        } catch (e) {
          // Anything odd about the call: let the page have it unchanged.
        }
        return Reflect.apply(target, thisArg, callArgs);
      },
    });
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
