function preventXhr(source, args) {
  // Matching XMLHttpRequests never go out: they complete as a 200 answer with
  // the given text, so a script waiting for its ad request sees it succeed.
  // args:
  //   1. what to match, space-separated, all of it required: "*" matches
  //      every request; "url:value" or "method:value" compare the request's
  //      URL or method; any other word is matched against the URL. Values
  //      are substrings or "/regex/flags". Example: "url:/vast/ method:GET".
  //   2. the response text: empty by default; "emptyObj" for "{}",
  //      "emptyArr" for "[]", "length:N-M" for random text of N to M
  //      characters (at most 500000); anything else is the text itself.
  // An empty first argument changes nothing (verbose mode logs requests).
  try {
    const log = (message) => {
      if (source.verbose) {
        console.log(`${source.name}: ${message}`);
      }
    };
    if (typeof XMLHttpRequest !== 'function') {
      return;
    }
    const nativeSetTimeout = window.setTimeout.bind(window);
    const propsArg = String(args[0] ?? '').trim();
    const responseArg = String(args[1] ?? '');

    const toMatcher = (pattern) => {
      const regex = /^\/(.+)\/([dimsuv]*)$/.exec(pattern);
      if (regex) {
        const re = new RegExp(regex[1], regex[2]);
        return (text) => re.test(text);
      }
      return (text) => text.includes(pattern);
    };
    let pairs = null;
    if (propsArg !== '') {
      pairs = [];
      if (propsArg !== '*') {
        try {
          for (const token of propsArg.split(/\s+/)) {
            const pair = /^(url|method):(.+)$/.exec(token);
            pairs.push(pair ? [pair[1], toMatcher(pair[2])] : ['url', toMatcher(token)]);
          }
        } catch (e) {
          return;
        }
      }
    }

    const randomText = (min, max) => {
      const length = min + Math.floor(Math.random() * (max - min + 1));
      const letters = 'abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789';
      let text = '';
      for (let i = 0; i < length; i += 1) {
        text += letters[Math.floor(Math.random() * letters.length)];
      }
      return text;
    };
    let responseText;
    const lengthRange = /^length:(\d+)-(\d+)$/.exec(responseArg);
    if (responseArg === 'emptyObj') {
      responseText = '{}';
    } else if (responseArg === 'emptyArr') {
      responseText = '[]';
    } else if (lengthRange) {
      const [min, max] = [Number(lengthRange[1]), Number(lengthRange[2])];
      if (min > max || max > 500000) {
        return;
      }
      responseText = () => randomText(min, max);
    } else if (responseArg.startsWith('length:')) {
      return;
    } else {
      responseText = responseArg;
    }

    // What open() was told, for each request, and whether it matches.
    const requests = new WeakMap();
    const proto = XMLHttpRequest.prototype;
    const fakedProperties = ['readyState', 'status', 'statusText', 'responseURL', 'response',
                             'responseText', 'responseXML', 'getResponseHeader',
                             'getAllResponseHeaders'];

    proto.open = new Proxy(proto.open, {
      apply(target, xhr, callArgs) {
        try {
          // A request object used again starts out real.
          if (requests.get(xhr)?.matching) {
            fakedProperties.forEach((name) => delete xhr[name]);
          }
          const url = new URL(String(callArgs[1]), document.baseURI).href;
          const method = String(callArgs[0]).toUpperCase();
          const details = { url, method, async: callArgs.length < 3 || Boolean(callArgs[2]) };
          requests.set(xhr, details);
          if (pairs === null) {
            log(`xhr ${method} ${url}`);
          } else {
            details.matching = pairs.every(([key, matches]) => matches(details[key]));
          }
        } catch (e) {
          requests.delete(xhr);
        }
        return Reflect.apply(target, xhr, callArgs);
      },
    });

    // The response in the form the request asked for.
    const responseFor = (xhr, text) => {
      switch (xhr.responseType) {
        case 'json':
          try {
            return JSON.parse(text);
          } catch (e) {
            return null;
          }
        case 'arraybuffer':
          return new TextEncoder().encode(text).buffer;
        case 'blob':
          return new Blob([text]);
        case 'document':
          return null;
        default:
          return text;
      }
    };

    const complete = (xhr, details) => {
      const text = typeof responseText === 'function' ? responseText() : responseText;
      const response = responseFor(xhr, text);
      const isText = xhr.responseType === '' || xhr.responseType === 'text';
      // Own properties shadow the prototype's getters: the request reads as
      // done, from this URL, with this answer.
      const fixed = (value) => ({ value, configurable: true });
      Object.defineProperties(xhr, {
        readyState: fixed(4),
        status: fixed(200),
        statusText: fixed('OK'),
        responseURL: fixed(details.url),
        response: fixed(response),
        responseText: isText ? fixed(text) : {
          configurable: true,
          get() {
            throw new DOMException('responseText is only available for text responses',
                                   'InvalidStateError');
          },
        },
        responseXML: fixed(null),
        getResponseHeader: fixed(() => null),
        getAllResponseHeaders: fixed(() => ''),
      });
      const total = text.length;
      xhr.dispatchEvent(new Event('readystatechange'));
      for (const type of ['load', 'loadend']) {
        xhr.dispatchEvent(new ProgressEvent(type, { lengthComputable: true, loaded: total, total }));
      }
    };

    proto.send = new Proxy(proto.send, {
      apply(target, xhr, callArgs) {
        const details = requests.get(xhr);
        if (!details || !details.matching) {
          return Reflect.apply(target, xhr, callArgs);
        }
        log(`prevented xhr ${details.method} ${details.url}`);
        const finish = () => {
          try {
            complete(xhr, details);
          } catch (e) {
            // The request just never completes.
          }
        };
        xhr.dispatchEvent(new ProgressEvent('loadstart'));
        if (details.async) {
          nativeSetTimeout(finish, 1);
        } else {
          finish();
        }
        return undefined;
      },
    });
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
